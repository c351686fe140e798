// The photometric bands of the flux engine: real filter curves shipped with the program, with
// intensities from the Planck law, and the window's three picture colours.
#pragma once

#include <string>
#include <vector>

namespace vp::flux {

struct Band {
    enum class Kind { Filter, PictureRed, PictureGreen, PictureBlue, Bolometric };
    std::string name;  // as the user names it; heads its column in the files
    Kind kind = Kind::Filter;
    std::string description;
    std::vector<double> wavelength;  // metres, increasing
    std::vector<double> response;    // the filter's response as tabulated

    // The intensity at the centre of a disc of temperature T (kelvin), before any dimming of
    // the cooler star. A filter gives the photon radiance averaged over the band, weighted by
    // the response (photon counting: photons s^-1 m^-2 sr^-1 per metre of wavelength); a
    // picture colour gives the picture's channel value (0 to 255) for that temperature.
    double Intensity(double T) const;

    // The response-weighted mean wavelength in metres (the picture's colours: a wavelength of
    // the colour).
    double MeanWavelength() const;
};

// A band by the name the user gives it: U B V R I (Johnson-Cousins), u g r i z (SDSS),
// G BP RP (Gaia), TESS, Kepler, the file names of the curves (johnson_V, sdss_g, ...),
// bolometric (all the light), and red, green, blue for the window's picture colours. False with a
// message naming the known bands otherwise.
bool FindBand(const std::string& name, Band& band, std::string& error);

// The names FindBand knows, in the order the help lists them.
std::vector<std::string> BandNames();

}  // namespace vp::flux

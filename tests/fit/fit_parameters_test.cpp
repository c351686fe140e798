// The map between the astronomers' parameters and the optimiser's coordinates: every point
// inside the bounds is a system of the configuration asked for.
#include "fit/fit_parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "fit/roche_limits.h"
#include "flux/binary_system.h"

namespace vp::fit {
namespace {

FitValues Start(double q, double r1, double r2) {
    FitValues v;
    v.system.q = q;
    v.system.r1 = r1;
    v.system.r2 = r2;
    v.system.incl = 80;
    v.system.t1 = 6000;
    v.system.t2 = 5000;
    return v;
}

ParameterMap Make(const FitValues& start, Configuration config, const std::string& free,
                  int filling = 2) {
    MapSettings settings;
    settings.configuration = config;
    settings.filling = filling;
    std::string error;
    EXPECT_TRUE(ParseParameterList(free, settings.free, error)) << error;
    ParameterMap map;
    std::vector<std::string> notes;
    EXPECT_TRUE(map.Make(start, settings, error, notes)) << error;
    return map;
}

// Random points of the coordinates' box, its corners among them.
std::vector<std::vector<double>> Points(const ParameterMap& map, int count) {
    std::mt19937 random(3);
    std::vector<std::vector<double>> points;
    for (int k = 0; k < count; ++k) {
        std::vector<double> u;
        for (std::size_t c = 0; c < map.Size(); ++c) {
            const double f = k < 2 ? k : std::uniform_real_distribution<double>(0, 1)(random);
            u.push_back(map.Lower(c) + f * (map.Upper(c) - map.Lower(c)));
        }
        points.push_back(u);
    }
    return points;
}

TEST(FitParameters, EveryPointOfTheBoxKeepsItsConfigurationAndMapsBack) {
    struct Case {
        Configuration config;
        FitValues start;
        const char* free;
    };
    const Case cases[] = {
        {Configuration::Detached, Start(0.5, 0.3, 0.2), "q,incl,r1,r2,t2,l3"},
        {Configuration::Contact, Start(0.3, 0.475, 0.285), "q,incl,r1,r2"},
        {Configuration::SemiDetached, Start(0.4, 0.3, 0.28), "q,incl,r1"},
    };
    for (const Case& c : cases) {
        const ParameterMap map = Make(c.start, c.config, c.free);
        for (const auto& u : Points(map, 40)) {
            FitValues v;
            ASSERT_TRUE(map.Values(u.data(), v));
            int filling = 0;
            EXPECT_EQ(ConfigurationOf(v.system, filling), c.config)
                << ConfigurationName(c.config) << " q " << v.system.q << " r1 " << v.system.r1
                << " r2 " << v.system.r2;
            if (c.config == Configuration::SemiDetached) {
                EXPECT_EQ(filling, 2);
            }
            if (c.config == Configuration::Contact) {
                EXPECT_LT(v.system.r1, OuterPoleRadius(1, v.system.q));
                EXPECT_LT(v.system.r2, OuterPoleRadius(2, v.system.q));
            }
            const std::vector<double> back = map.Coordinates(v);
            for (std::size_t k = 0; k < u.size(); ++k) EXPECT_NEAR(back[k], u[k], 1e-9);
        }
    }
    // The engine takes the extreme contact envelope the bounds allow.
    const ParameterMap contact = Make(Start(0.3, 0.475, 0.285), Configuration::Contact, "r1,r2");
    FitValues v;
    ASSERT_TRUE(contact.Values(Points(contact, 2)[1].data(), v));
    flux::BandSetup band;
    std::string error;
    ASSERT_TRUE(flux::FindBand("V", band.band, error));
    const flux::LightCurveModel model(v.system, {band});
    EXPECT_TRUE(model.Facts().neck);
    EXPECT_GT(model.Fluxes(std::vector<double>{0.25})[0][0], 0);
}

TEST(FitParameters, AFixedRadiusBoundsTheMassRatio) {
    // r1 = 0.38 stays inside star 1's lobe only while q is below about 0.9.
    const ParameterMap map = Make(Start(0.5, 0.38, 0.2), Configuration::Detached, "q,r2");
    const double qHigh = std::exp(map.Upper(0));
    EXPECT_LT(LobePoleRadius(1, qHigh * 0.999) - 0.38, 1e-3);
    EXPECT_GT(LobePoleRadius(1, qHigh * 0.999), 0.38);
    FitValues v;
    std::vector<double> u = {map.Upper(0), map.Upper(1)};
    ASSERT_TRUE(map.Values(u.data(), v));
    int filling = 0;
    EXPECT_EQ(ConfigurationOf(v.system, filling), Configuration::Detached);
}

TEST(FitParameters, CombinationsThatCannotBeFittedAreRefusedWithTheirReason) {
    std::vector<Parameter> list;
    std::string error;
    EXPECT_FALSE(ParseParameterList("q,inclination", list, error));
    EXPECT_NE(error.find("'inclination' is not a parameter"), std::string::npos);
    EXPECT_FALSE(ParseParameterList("q,q", list, error));
    // The physics: every name reads back as itself; a misspelt one lists the names there are.
    const std::string physics = "gd1,gd2,alb1,alb2,ecc,omega,spot1.lat,spot12.lon,spot1.radius,"
                                "spot1.tfactor";
    ASSERT_TRUE(ParseParameterList(physics, list, error)) << error;
    std::string names;
    for (Parameter p : list) names += (names.empty() ? "" : ",") + ParameterName(p);
    EXPECT_EQ(names, physics);
    EXPECT_EQ(list[7], Parameter(Parameter::SpotLongitude, 11));
    for (const char* bad : {"spot1.long", "spot0.lat", "spot.lat", "spot1"}) {
        EXPECT_FALSE(ParseParameterList(bad, list, error)) << bad;
        EXPECT_NE(error.find("spotN.tfactor"), std::string::npos) << error;
    }

    auto refused = [](const FitValues& start, Configuration config, const char* free,
                      bool times = false) {
        MapSettings settings;
        settings.configuration = config;
        settings.times = times;
        std::string error;
        ParseParameterList(free, settings.free, error);
        ParameterMap map;
        std::vector<std::string> notes;
        return map.Make(start, settings, error, notes) ? std::string() : error;
    };
    EXPECT_NE(
        refused(Start(0.4, 0.3, 0.28), Configuration::SemiDetached, "q,r2").find("r2 follows q"),
        std::string::npos);
    EXPECT_NE(
        refused(Start(0.4, 0.3, 0.2), Configuration::Detached, "incl,t0").find("t0 and period"),
        std::string::npos);
    // An eccentric orbit is for detached systems; omega needs one; a spot needs its --spot.
    const FitValues contact = Start(0.3, 0.475, 0.285);
    EXPECT_NE(refused(contact, Configuration::Contact, "q,ecc").find("needs a detached system"),
              std::string::npos);
    FitValues eccentric = contact;
    eccentric.system.ecc = 0.1;
    EXPECT_NE(refused(eccentric, Configuration::Contact, "q").find("--ecc must be 0"),
              std::string::npos);
    EXPECT_NE(refused(Start(0.5, 0.2, 0.2), Configuration::Detached, "omega")
                  .find("means nothing on a circular orbit"),
              std::string::npos);
    FitValues spotted = Start(0.5, 0.2, 0.2);
    spotted.system.spots = {flux::Spot{}};
    EXPECT_NE(refused(spotted, Configuration::Detached, "spot2.lon").find("but 1 spot is given"),
              std::string::npos);
    // A fixed radius inside its lobe cannot make a contact system.
    EXPECT_NE(refused(Start(0.3, 0.3, 0.285), Configuration::Contact, "q,r2")
                  .find("do not make a contact"),
              std::string::npos);
}

}  // namespace
}  // namespace vp::fit

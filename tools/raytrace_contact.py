#!/usr/bin/env python3
"""Light of a contact binary's common envelope by brute-force ray tracing.

An independent check of the flux engine: a square grid of parallel rays is sent at the
envelope (the Roche equipotential through star 1's pole, both stars of equal potential), each
ray's first crossing of the surface is found by marching and bisection, and the linearly
limb-darkened intensity there is summed. No mesh, no outline, no hidden-surface bookkeeping.

    /usr/bin/python3 tools/raytrace_contact.py Q R_POLE INCL_DEG LIMB RAYS PHASE[,PHASE...]

prints one line per phase: the phase and the envelope's light (intensity at disc centre 1,
lengths in units of the separation). Phase 0 has star 2 in front of star 1. 1200 rays on a
side take about half a minute per phase and are good to a few 1e-5 of the light.
"""
import sys

import numpy as np


def main():
    q, pole, incl, limb = (float(v) for v in sys.argv[1:5])
    rays = int(sys.argv[5])
    phases = [float(v) for v in sys.argv[6].split(",")]
    inc = np.radians(incl)
    level = 1 / pole + q / np.sqrt(pole * pole + 1)

    def inside(p):
        x, y, z = p
        r1 = np.sqrt(x * x + y * y + z * z)
        r2 = np.sqrt((x - 1) ** 2 + y * y + z * z)
        omega = 1 / r1 + q * (1 / r2 - x) + 0.5 * (1 + q) * (x * x + y * y)
        # Far from both stars the potential rises again: that is not the envelope.
        return (omega >= level) & (np.minimum(r1, r2) < 0.8)

    def normal(p):
        x, y, z = p
        r1 = np.sqrt(x * x + y * y + z * z)
        r2 = np.sqrt((x - 1) ** 2 + y * y + z * z)
        g = np.array([-x / r1**3 + q * (-(x - 1) / r2**3 - 1) + (1 + q) * x,
                      -y / r1**3 - q * y / r2**3 + (1 + q) * y,
                      -z / r1**3 - q * z / r2**3])
        return -g / np.linalg.norm(g, axis=0)

    centre_of_mass = np.array([q / (1 + q), 0, 0])
    step = 2.4 / rays
    sky = (np.arange(rays) + 0.5) * step - 1.2
    depths = np.linspace(1.5, -1.5, 301)
    for phase in phases:
        a = 2 * np.pi * phase
        w = np.array([np.sin(inc) * np.cos(a), np.sin(inc) * np.sin(a), np.cos(inc)])
        e1 = np.array([-np.sin(a), np.cos(a), 0.0])
        e2 = np.cross(w, e1)
        light = 0.0
        for b in sky[np.abs(sky) < 0.75]:
            start = centre_of_mass[:, None] + np.outer(e1, sky) + (e2 * b)[:, None]
            hit = np.zeros(rays, bool)
            t_in = np.zeros(rays)
            t_out = np.zeros(rays)
            previous = depths[0]
            for t in depths[1:]:
                now = inside(start + (w * t)[:, None])
                new = now & ~hit
                t_in[new], t_out[new] = t, previous
                hit |= now
                previous = t
            idx = np.where(hit)[0]
            if len(idx) == 0:
                continue
            lo, hi, s = t_in[idx].copy(), t_out[idx].copy(), start[:, idx]
            for _ in range(50):
                mid = 0.5 * (lo + hi)
                now = inside(s + np.outer(w, mid))
                lo, hi = np.where(now, mid, lo), np.where(now, hi, mid)
            mu = np.clip(normal(s + np.outer(w, lo)).T @ w, 0, 1)
            light += np.sum(1 - limb * (1 - mu)) * step * step
        print("%.4f %.7f" % (phase, light))


if __name__ == "__main__":
    main()

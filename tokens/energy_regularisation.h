// δ of the normalised gains: added to every normalising energy, so that an
// all-zero delay line divides by δ instead of by zero.
#pragma once

constexpr double kEnergyRegularisation = 1e-8;

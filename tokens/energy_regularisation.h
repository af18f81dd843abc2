// δ of the normalised gains: added to every normalising energy, so that an
// all-zero delay line divides by δ instead of by zero.
#pragma once

namespace adaptive {

constexpr double kEnergyRegularisation = 1e-8;

}  // namespace adaptive

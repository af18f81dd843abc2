// A token connected the way a diagram connects it for an adaptive-filter
// experiment, and one run of it over given signals.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "adaptsim/hosting/plugin.h"

// The family of a catalogue token comes from the catalogue (TokenInfo::family),
// its name from adaptive::FamilyName.
using TokenFamily = adaptive::Family;

// How the diagram feeds the token.
enum class Wiring {
  kDesired,        // "Input" ("Input 1"...) and "Desired"
  kErrorLoop,      // "Input" and "Error": desired minus the token's own previous
                   // "Output", one sample of delay as in a diagram loop
  kGradientLoop,   // as kErrorLoop, with "- de/dw" taken from the filter input
  kGradientPorts,  // as kGradientLoop, with "Mu" and "Leakage" on input ports
};

// The settings a user would give each family for the experiment.
struct RigChoices {
  int taps = 8;      // numerator coefficients per channel
  int feedback = 0;  // feedback coefficients of LMS, NLMS, NEW (0: transversal)
  double lmsMu = 0.01;       // "Mu..." of LMS, LMS2, LMS3, GenLMS_B and GenLMS_A's port
  double nlmsMu = 0.25;      // NLMS, NLMS2, NLMS3, GenNLMS
  double lmsMuBackward = 0.05;   // "Mu Backward" of LMS
  double nlmsMuBackward = 0.05;  // "Mu Backward" of NLMS
  double newtonMu = 0.5;     // GenNEW, NEW, NEW2, NEW3
  double newtonLambda = 0.99;
  double lambda = 0.999;     // RLS and random-walk tokens: a memory of 1/(1 − λ) = 1000 samples
  // The QR tokens scale the square-root factor by λ, so their squared errors
  // fade by λ^2: 0.9995 gives them the memory of the RLS tokens at 0.999.
  double qrLambda = 0.9995;
  double init = 0.00001;     // "Init" of the Newton, RLS and random-walk tokens
  double randomWalkVariance = 1e-6;
};

struct TokenRig {
  Wiring wiring = Wiring::kDesired;
  int channels = 1;
  bool recursive = false;
  std::vector<double> parameters;  // catalogue order
  double portMu = 0.0;             // kGradientPorts: the values on "Mu" and "Leakage"
  double portLeakage = 1.0;
  // Output port indices.
  int outputPort = -1, priErrorPort = -1;
};

// Connects `token` by its port names; false with the reason when its ports fit
// none of the wirings.
bool MakeRig(const TokenInfo& token, const RigChoices& choices, TokenRig* rig, std::string* error);

// The coefficients of the rig's filter as they are stacked in
// Plant::stacked(): the numerators of its channels, then its feedback.
// Status of a trial whose token ran but whose final-weights files could not
// be read back.
constexpr int32_t kWeightsUnreadable = -1;

struct TrialOutcome {
  int32_t status = 0;   // the library's status of the failing call, 0 when all went well
  std::string message;  // the library's message, or why the weights could not be read
  std::vector<double> squaredError;  // a-priori error, squared, per sample
  std::vector<double> coefficients;  // read back from the final-weights files
  bool singular = false;             // a QR token found its triangle singular
  double seconds = 0.0;              // wall time of the run calls
  double misalignment = 0.0;         // |w - h|^2 / |h|^2, set by the scenario that knows h
  bool diverged = false;             // this realisation blew up, set by the scenario that judges it
  bool unsettled = false;            // its error stayed above the level a converged run reaches, ditto
};

// Creates the token of `library`, runs it over the signals (inputs[c] feeds channel c;
// every input holds at least desired.size() samples) and terminates it,
// then reads back its final-weights files written under `weightsBase` (a
// path without dots) and removes them.
TrialOutcome RunTrial(const adaptive::Library& library, const TokenInfo& token, const TokenRig& rig,
                      const std::vector<std::vector<double>>& inputs, const std::vector<double>& desired,
                      const std::string& weightsBase);

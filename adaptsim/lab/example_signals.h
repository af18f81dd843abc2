// The recordings of the README's worked examples, made up so that the
// examples run anywhere: a system driven by noise and recorded at its input
// and output, and a signal buried in two noises that are also recorded at
// their sources.
#pragma once

#include <string>
#include <vector>

constexpr int kExampleRate = 8000;

// The "unknown" system of ident.wav.
const std::vector<double>& ExampleSystem();
// The two paths of signals.csv, from "Input 1" and "Input 2" to "Desired".
const std::vector<double>& ExamplePath(int channel);

// Writes ident.wav (2 channels: input, output of ExampleSystem()) and
// noisy.wav (3 channels: noise source 1, noise source 2, the signal plus both
// noises after their acoustic paths) as 16-bit WAV files into `directory`,
// and clean.wav, the signal alone; and signals.csv, the samples of a
// two-channel system ("Input 1", "Input 2", "Desired" = both inputs through
// their ExamplePath()s) for the CSV examples. False with the reason.
bool WriteExampleSignals(const std::string& directory, std::string* error);

#pragma once
// The demo's input: a generated loop of drums and chords, the same every run.
#include <vector>

// Interleaved stereo, 8 seconds (four bars of 4/4 at 120 BPM) at sampleRate.
std::vector<double> MakeDrumAndChordLoop(int sampleRate);

#pragma once
// How the channels of a file meet the inputs of a plug-in, and which outputs make up the output
// file. Several instances when a mono plug-in has to process every channel of a file.
#include <string>
#include <vector>

struct Pin {
  int instance, channel;
};

struct Routing {
  int instances = 1;
  int pluginInputs = 0;   // channels the plug-in was configured with, per instance
  int pluginOutputs = 0;
  bool monoArrangement = false;  // ask each instance for a 1-in 1-out arrangement
  std::vector<std::vector<Pin>> feeds;  // per file channel: the plug-in inputs it feeds
  std::vector<Pin> outputs;              // per output-file channel: the plug-in output it takes
  std::string description;               // what was done, for the user; empty when 1:1
};

// canMono: the plug-in flags mono processing (effFlagsCanMono).
Routing PlanRouting(int fileChannels, int numInputs, int numOutputs, bool canMono);

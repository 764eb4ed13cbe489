#include "routing.h"

#include <algorithm>

#include "text.h"

namespace {

std::string Channels(int n) { return Count(n, "channel"); }

// "file channels to inputs: 1 -> 1, 2 -> 1+2; inputs 3 to 4 get silence" for one instance.
std::string Mapping(const Routing& r) {
  std::string text = "file channels to inputs:";
  std::vector<bool> fed(r.pluginInputs);
  for (size_t c = 0; c < r.feeds.size(); ++c) {
    text += (c ? ", " : " ") + std::to_string(c + 1) + " ->";
    for (size_t i = 0; i < r.feeds[c].size(); ++i) {
      text += (i ? "+" : " ") + std::to_string(r.feeds[c][i].channel + 1);
      fed[r.feeds[c][i].channel] = true;
    }
    if (r.feeds[c].empty()) text += " none";
  }
  const int firstSilent = int(std::find(fed.begin(), fed.end(), false) - fed.begin());
  if (firstSilent < r.pluginInputs)
    text += "; inputs " + std::to_string(firstSilent + 1) + " to " + std::to_string(r.pluginInputs) + " get silence";
  return text;
}

}  // namespace

Routing PlanRouting(int fileChannels, int numInputs, int numOutputs, bool canMono) {
  Routing r;
  r.pluginInputs = numInputs;
  r.pluginOutputs = numOutputs;
  r.feeds.resize(fileChannels);
  auto allOutputs = [&r](int instance) {
    for (int o = 0; o < r.pluginOutputs; ++o) r.outputs.push_back({instance, o});
  };
  if (fileChannels == numInputs) {
    for (int c = 0; c < fileChannels; ++c) r.feeds[c].push_back({0, c});
    allOutputs(0);
  } else if (fileChannels == 1 && numInputs >= 2 && canMono) {
    // The plug-in says it runs in mono: configure it so rather than invent a second channel.
    r.monoArrangement = true;
    r.feeds[0].push_back({0, 0});
    r.outputs.push_back({0, 0});
    r.description = "mono file: the plug-in was given a mono speaker arrangement (1 in, 1 out); the output is mono";
  } else if (fileChannels == 1 && numInputs >= 2) {
    for (int i = 0; i < numInputs; ++i) r.feeds[0].push_back({0, i});
    allOutputs(0);
    r.description = "mono file: the plug-in takes no mono arrangement, so the signal feeds all " +
                    std::to_string(numInputs) + " inputs; the output has " + Channels(numOutputs);
  } else if (numInputs == 1 && fileChannels >= 2 && numOutputs >= 1) {
    r.instances = fileChannels;
    for (int c = 0; c < fileChannels; ++c) {
      r.feeds[c].push_back({c, 0});
      r.outputs.push_back({c, 0});
    }
    r.description = Channels(fileChannels) + " into a mono plug-in: one instance per channel, each with the same settings";
  } else {
    const int shared = std::min(fileChannels, numInputs);
    for (int c = 0; c < shared; ++c) r.feeds[c].push_back({0, c});
    allOutputs(0);
    r.description = "the file has " + Channels(fileChannels) + ", the plug-in " + std::to_string(numInputs) +
                    (numInputs == 1 ? " input" : " inputs") + ": ";
    if (fileChannels > numInputs)
      r.description += "file channels " + std::to_string(shared + 1) + " to " + std::to_string(fileChannels) + " are dropped";
    else
      r.description += "inputs " + std::to_string(shared + 1) + " to " + std::to_string(numInputs) + " get silence";
    r.description += "; the output has " + Channels(numOutputs);
  }
  // Inputs beyond the outputs usually take a side-chain, which a plain 1:1 match would hide.
  if (r.instances == 1 && !r.monoArrangement && numInputs > numOutputs && numOutputs > 0)
    r.description = "the plug-in has " + std::to_string(numInputs) + " inputs and " + std::to_string(numOutputs) +
                    " outputs (likely a side-chain on inputs " + std::to_string(numOutputs + 1) + " to " +
                    std::to_string(numInputs) + "); " + Mapping(r) + "; the output has " + Channels(numOutputs);
  return r;
}

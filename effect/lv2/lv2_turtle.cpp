#include "effect/lv2/lv2_turtle.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {
const char kPrefixes[] =
    "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
    "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
    "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
    "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
    "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
    "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
    "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
    "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
    "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
    "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
    "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n\n";

std::string Quoted(const char* text) {
  std::string out = "\"";
  for (const char* c = text; *c; ++c) {
    if (*c == '"' || *c == '\\') out += '\\';
    if (*c == '\n') {
      out += "\\n";
      continue;
    }
    out += *c;
  }
  return out + "\"";
}

// The shortest decimal that reads back as the same float: ports carry floats.
std::string Number(double value, bool integer) {
  char text[64];
  if (integer) {
    snprintf(text, sizeof text, "%lld", static_cast<long long>(value));
    return text;
  }
  const float target = static_cast<float>(value);
  for (int decimals = 1; decimals <= 12; ++decimals) {
    snprintf(text, sizeof text, "%.*f", decimals, static_cast<double>(target));
    if (strtof(text, nullptr) == target) return text;
  }
  snprintf(text, sizeof text, "%.9g", static_cast<double>(target));
  std::string out = text;
  // A decimal point keeps turtle from reading an integer.
  if (out.find_first_of(".eEni") == std::string::npos) out += ".0";
  return out;
}

const char* UnitOf(const LV2BundleInfo& info, int idx) {
  for (int i = 0; i < info.mNUnits; ++i)
    if (info.mUnits[i].mParamIdx == idx) return info.mUnits[i].mUnitURI;
  return nullptr;
}

void WriteControlPort(std::ostringstream& out, const IParam& param, int idx, const LV2BundleInfo& info) {
  const bool integer = param.Type() != IParam::kTypeDouble;
  double lo, hi;
  param.GetBounds(lo, hi);
  out << "    [\n      a lv2:InputPort, lv2:ControlPort ;\n"
      << "      lv2:index " << idx << " ;\n"
      << "      lv2:symbol " << Quoted(LV2PortSymbol(param.GetNameForHost()).c_str()) << " ;\n"
      << "      lv2:name " << Quoted(param.GetNameForHost()) << " ;\n"
      << "      lv2:default " << Number(param.Value(), integer) << " ;\n"
      << "      lv2:minimum " << Number(lo, integer) << " ;\n"
      << "      lv2:maximum " << Number(hi, integer);
  if (IEffectLV2::IsToggle(param))
    out << " ;\n      lv2:portProperty lv2:integer, lv2:toggled";
  else if (integer)
    out << " ;\n      lv2:portProperty lv2:integer";
  if (const char* unit = UnitOf(info, idx)) out << " ;\n      units:unit <" << unit << ">";
  out << "\n    ]";
}

void WriteAudioPort(std::ostringstream& out, bool input, int channel, int idx) {
  const char* kind = input ? "lv2:InputPort" : "lv2:OutputPort";
  out << "    [\n      a " << kind << ", lv2:AudioPort ;\n"
      << "      lv2:index " << idx << " ;\n"
      << "      lv2:symbol \"" << (input ? "in_" : "out_") << channel + 1 << "\" ;\n"
      << "      lv2:name \"" << (input ? "Input " : "Output ") << channel + 1 << "\"\n    ]";
}

std::string PresetURI(const LV2BundleInfo& info, int idx) {
  return std::string(info.mPluginURI) + "#preset-" + std::to_string(idx + 1);
}

bool WriteFile(const std::string& path, const std::string& text, std::string* error) {
  FILE* file = fopen(path.c_str(), "wb");
  if (!file) {
    *error = path + ": " + strerror(errno);
    return false;
  }
  const bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  const bool closed = fclose(file) == 0;
  if (!written || !closed) *error = path + ": could not be written";
  return written && closed;
}
}  // namespace

std::string LV2PortSymbol(const char* name) {
  std::string symbol;
  for (const char* c = name; *c; ++c) {
    const char ch = *c;
    if ((ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_')
      symbol += ch;
    else if (ch >= 'A' && ch <= 'Z')
      symbol += static_cast<char>(ch - 'A' + 'a');
    else
      symbol += '_';
  }
  if (symbol.empty() || (symbol[0] >= '0' && symbol[0] <= '9')) symbol.insert(0, "_");
  return symbol;
}

bool WriteLV2Bundle(IEffectLV2& effect, const LV2BundleInfo& info, const std::string& folder,
                    std::string* error) {
  const std::string plugin = std::string("<") + info.mPluginURI + ">";
  const std::string ui = std::string("<") + info.mUIURI + ">";
  const std::string binary = std::string("<") + info.mBinary + ">";
  const std::string seeAlso = std::string("  rdfs:seeAlso <") + info.mTurtle + "> .\n\n";

  std::ostringstream manifest;
  manifest << kPrefixes;
  manifest << plugin << "\n  a lv2:Plugin ;\n  lv2:binary " << binary << " ;\n" << seeAlso;
  manifest << ui << "\n  a ui:X11UI ;\n  ui:binary " << binary << " ;\n" << seeAlso;
  for (int i = 0; i < effect.NPresets(); ++i)
    manifest << "<" << PresetURI(info, i) << ">\n  a pset:Preset ;\n  lv2:appliesTo " << plugin << " ;\n"
             << seeAlso;

  const int version = effect.GetEffectVersion(false);
  std::ostringstream turtle;
  turtle << kPrefixes;
  turtle << plugin << "\n  a lv2:Plugin, lv2:" << info.mPluginClass << ", doap:Project ;\n"
         << "  doap:name " << Quoted(effect.GetEffectName()) << " ;\n"
         << "  doap:maintainer [ foaf:name " << Quoted(effect.GetMfrName()) << " ] ;\n"
         << "  lv2:minorVersion " << ((version >> 8) & 0xff) << " ;\n"
         << "  lv2:microVersion " << (version & 0xff) << " ;\n"
         << "  lv2:optionalFeature lv2:hardRTCapable, opts:options, urid:map ;\n"
         << "  opts:supportedOption bufsz:maxBlockLength ;\n"
         << "  lv2:extensionData state:interface ;\n"
         << "  ui:ui " << ui << " ;\n"
         << "  lv2:port\n";
  for (int i = 0; i < effect.NParams(); ++i) {
    WriteControlPort(turtle, *effect.GetParam(i), i, info);
    turtle << " ,\n";
  }
  for (int c = 0; c < effect.NInChannels(); ++c) {
    WriteAudioPort(turtle, true, c, effect.AudioInPort(c));
    turtle << " ,\n";
  }
  for (int c = 0; c < effect.NOutChannels(); ++c) {
    WriteAudioPort(turtle, false, c, effect.AudioOutPort(c));
    turtle << (c + 1 < effect.NOutChannels() ? " ,\n" : " .\n\n");
  }

  turtle << ui << "\n  a ui:X11UI ;\n  ui:binary " << binary << " ;\n"
         << "  lv2:requiredFeature ui:idleInterface, ui:parent ;\n"
         << "  lv2:optionalFeature ui:touch, ui:resize, ui:noUserResize ;\n"
         << "  lv2:extensionData ui:idleInterface .\n";

  // Preset values are written as decimals, which hosts read as the floats ports take.
  for (int p = 0; p < effect.NPresets(); ++p) {
    if (!effect.RestorePreset(p)) continue;
    turtle << "\n<" << PresetURI(info, p) << ">\n  a pset:Preset ;\n  lv2:appliesTo " << plugin << " ;\n"
           << "  rdfs:label " << Quoted(effect.GetPresetName(p)) << " ;\n  lv2:port";
    for (int i = 0; i < effect.NParams(); ++i) {
      const IParam& param = *effect.GetParam(i);
      turtle << (i ? " , [\n" : " [\n") << "    lv2:symbol " << Quoted(LV2PortSymbol(param.GetNameForHost()).c_str())
             << " ;\n    pset:value " << Number(param.Value(), false) << "\n  ]";
    }
    turtle << " .\n";
  }

  return WriteFile(folder + "/manifest.ttl", manifest.str(), error) &&
         WriteFile(folder + "/" + info.mTurtle, turtle.str(), error);
}

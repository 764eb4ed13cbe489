#include "args.h"

#include <cerrno>
#include <cstdlib>

#include "error.h"
#include "numbers.h"

Args::Args(int argc, char** argv, const std::vector<OptionDef>& defs) {
  bool onlyPositional = false;
  for (int i = 0; i < argc; ++i) {
    std::string arg = argv[i];
    if (onlyPositional || arg.size() < 2 || arg[0] != '-') {
      mPositional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      onlyPositional = true;
      continue;
    }
    if (arg == "-h") arg = "--help";
    if (arg.compare(0, 2, "--") != 0) throw UsageError("unknown option '" + arg + "'");
    std::string name = arg.substr(2), value;
    const size_t eq = name.find('=');
    const bool inlineValue = eq != std::string::npos;
    if (inlineValue) {
      value = name.substr(eq + 1);
      name.resize(eq);
    }
    const OptionDef* def = nullptr;
    for (const OptionDef& s : defs)
      if (name == s.name) def = &s;
    if (!def && name != "help") throw UsageError("unknown option '--" + name + "'");
    if (def && def->takesValue && !inlineValue) {
      if (i + 1 >= argc) throw UsageError("option '--" + name + "' needs a value");
      value = argv[++i];
    } else if ((!def || !def->takesValue) && inlineValue) {
      throw UsageError("option '--" + name + "' takes no value");
    }
    mValues[name].push_back(value);
  }
}

const std::vector<std::string>& Args::All(const std::string& name) const {
  static const std::vector<std::string> kNone;
  auto it = mValues.find(name);
  return it == mValues.end() ? kNone : it->second;
}

std::string Args::Last(const std::string& name, const std::string& fallback) const {
  auto it = mValues.find(name);
  return it == mValues.end() ? fallback : it->second.back();
}

long ParseInteger(const std::string& text, const std::string& what) {
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end || errno) throw UsageError(what + " must be a whole number, not '" + text + "'");
  return v;
}

double ParseNumber(const std::string& text, const std::string& what) {
  double v = 0.0;
  size_t used = 0;
  if (!LeadingNumber(text, v, &used) || used != text.size())
    throw UsageError(what + " must be a number, not '" + text + "'");
  return v;
}

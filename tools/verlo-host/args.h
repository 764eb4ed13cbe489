#pragma once
// Command-line options of one command: "--name value", "--name=value" or a bare "--flag".
#include <map>
#include <string>
#include <vector>

struct OptionDef {
  const char* name;  // without the leading dashes
  bool takesValue;
};

class Args {
public:
  // Throws UsageError for unknown options or a missing value.
  Args(int argc, char** argv, const std::vector<OptionDef>& defs);

  const std::vector<std::string>& Positional() const { return mPositional; }
  bool Has(const std::string& name) const { return mValues.count(name) != 0; }
  const std::vector<std::string>& All(const std::string& name) const;
  // The last value given, or fallback when the option is absent.
  std::string Last(const std::string& name, const std::string& fallback = "") const;

private:
  std::vector<std::string> mPositional;
  std::map<std::string, std::vector<std::string>> mValues;
};

// Whole-string number parsing; throw UsageError naming the option on anything else.
long ParseInteger(const std::string& text, const std::string& what);
double ParseNumber(const std::string& text, const std::string& what);

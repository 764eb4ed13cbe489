#pragma once
// Diagnostic helpers: a processor-time interval timer, time stamps, character helpers and the
// trace entry point, which is switched off in this build.
#include <ctime>

#include "kit/kitstring.h"

class Timer {
public:
  Timer() : mLastTicks(clock()) {}
  // True once more than `seconds` of processor time have passed since the last true answer.
  bool Every(double seconds);

private:
  clock_t mLastTicks;
};

bool IsWhitespace(char c);
// out must hold strlen(text) + 1 bytes.
void ToLower(char* out, const char* text);

// "YYYYMMDD HH:MM +HHMM" for now; the result lives in a buffer of the calling thread that its
// next call overwrites.
const char* CurrentTime();
// The same for a given moment (what CurrentTime formats for time(nullptr)).
const char* CurrentTimeAt(time_t t);

// Builds "[Mmm d HH:MM]" from compiler-style date ("Mmm dd yyyy") and time ("HH:MM:SS") texts.
void CompileTimestamp(const char* date, const char* time, KIT_String* out);
// text, a space, then the compile timestamp; the result lives in a static string.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Tracing is off: writes nothing, but callers still evaluate their arguments.
inline void Trace(const char* /*label*/, int /*line*/, const char* /*format*/, ...) {}

const char* VSTOpcodeStr(int opcode);
const char* AUSelectStr(int selector);
const char* AUPropertyStr(int property);
const char* AUScopeStr(int scope);

#include "kit/Log.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool Timer::Every(double seconds) {
  const clock_t now = clock();
  if (static_cast<double>(now - mLastTicks) > seconds * CLOCKS_PER_SEC) {
    mLastTicks = clock();
    return true;
  }
  return false;
}

bool IsWhitespace(char c) { return c == '\t' || c == '\n' || c == '\r' || c == ' '; }

void ToLower(char* out, const char* text) {
  while (*text) *out++ = static_cast<char>(tolower(static_cast<unsigned char>(*text++)));
  *out = 0;
}

const char* CurrentTimeAt(time_t t) {
  // Instances may be created on several threads at once; each thread gets its own text.
  static thread_local char sTimeStr[64];
  tzset();  // follow TZ changes as localtime() would
  struct tm local, utc;
  localtime_r(&t, &local);
  gmtime_r(&t, &utc);

  char text[32];
  const size_t n = strftime(text, sizeof text, "%Y%m%d %H:%M ", &local);
  int offset = local.tm_min + (local.tm_hour - utc.tm_hour) * 60 - utc.tm_min;
  if (local.tm_yday != utc.tm_yday) {
    const int d = local.tm_yday - utc.tm_yday;
    if (d > 1)
      offset -= 1440;  // local still on 31 December, UTC already in the new year
    else if (d < -1)
      offset += 1440;  // local already on 1 January, UTC still in the old year
    else
      offset += d * 1440;
  }
  const int magnitude = abs(offset);
  snprintf(text + n, sizeof text - n, "%c%02d%02d", offset >= 0 ? '+' : '-', magnitude / 60,
           magnitude % 60);
  memcpy(sTimeStr, text, sizeof text);
  return sTimeStr;
}

const char* CurrentTime() { return CurrentTimeAt(time(nullptr)); }

void CompileTimestamp(const char* date, const char* time, KIT_String* out) {
  out->Set("[");
  out->Append(date);
  // Only cut: lengthening would expose bytes nobody wrote.
  if (out->GetLength() > 7) out->SetLen(7);
  out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time);
  if (out->GetLength() > 12) out->SetLen(12);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text) {
  static KIT_String sStamp;
  sStamp.Set(text ? text : "");
  sStamp.Append(" ");
  KIT_String stamp;
  CompileTimestamp(date, time, &stamp);
  sStamp.Append(stamp.Get());
  return sStamp.Get();
}

const char* VSTOpcodeStr(int) { return ""; }
const char* AUSelectStr(int) { return ""; }
const char* AUPropertyStr(int) { return ""; }
const char* AUScopeStr(int) { return ""; }

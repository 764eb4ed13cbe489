#pragma once
// Records exchanged between the plug-in base, the format adapter and the editor.

struct IMidiMsg;
struct ISysEx;
struct ITimeInfo;
class IGraphics;

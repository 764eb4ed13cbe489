#pragma once
// Plug-in formats and host applications.

enum EAPI { kAPIVST2 = 0 };

// The identified host application; -1 until the host is known.
using EHost = int;
constexpr EHost kHostNotIdentified = -1;

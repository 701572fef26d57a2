// The identifiers of the buttons that end a dialog, which are also the
// results the dialog and message boxes return.
#pragma once

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

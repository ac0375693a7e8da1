// The two programs' profiles. The outer sizes are the client areas of their main
// forms plus a dialog frame: a 3-pixel border on each side and a 19-pixel caption.
#pragma once

#include "writer/VideoWriterForm.h"

// Client area 752 x 494.
inline constexpr WriterProfile EditorProfile{
    .defaultFrames = 25, .windowWidth = 758, .windowHeight = 519, .settingsWritten = 17, .hasSoundStep = true,
    .abortAfterEveryFrame = false};

// Client area 451 x 341; the form is never shown, its size only centres "Top"/"Left".
inline constexpr WriterProfile ConsoleProfile{
    .defaultFrames = 15, .windowWidth = 457, .windowHeight = 366, .settingsWritten = 14, .hasSoundStep = false,
    .abortAfterEveryFrame = true};

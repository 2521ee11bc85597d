// The headless backend under velko-check: when the environment variable
// VELKO_CHECK names a folder, the run plays the script file the checker put
// in the current directory (the backend presses Ctrl+P before the first
// event, as a user would), is closed by the backend once the program waits
// with nothing left to play, and leaves its transcript in that folder:
//
//   events.txt   every event the program was given, one script line each
//                (a periodic event as VELKO_PERIODIC(1);), so it plays again
//   log.txt      every line written to the log window, in order
//   surface.png  the off-screen surface as the run left it
//   window.png   what the graphics window last showed (its client area)
//                (both pictures only where the build has PNG files: not on Windows)
//   end.txt      how the run ended: "events N", "closed_by_checker 0|1",
//                "quit_delivered 0|1", "ended finish|exit"
//   after-N.png  what the window showed after the program's N-th event, for
//                each N listed in VELKO_CHECK_AFTER ("5,10,20"): taken when
//                event N+1 is given (the window then shows the redraw that
//                followed event N), or at the end when N was the last event
//
// events.txt and log.txt are written as the run goes, so a program that
// crashes leaves what it got so far.
#pragma once

#include "runtime/platform/platform.h"

// Reads VELKO_CHECK. Null when not checking or ready; else why the folder
// cannot take the transcript. window_at_exit gives the graphics window's
// canvas should the process end without VELKO_finish.
const char* check_open(const PlatCanvas* (*window_at_exit)());
bool check_active();

// What the program was given and what it wrote to its log window; they
// watch the run (see observer.h) once check_open has opened the transcript.
void check_note_event(int kind, int x, int y, int key);
void check_note_log_line(const char* text);
void check_note_surface(PlatCanvas* surface);
void check_note_closed_by_checker();

// Writes surface.png, window.png (from the window's client-area canvas, when
// there is one) and end.txt, once; how is "finish" (VELKO_finish) or "exit"
// (the process ended without it).
void check_finish(const char* how, const PlatCanvas* window);

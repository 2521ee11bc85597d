// Script recording and playback: the events VELKO_next_event delivers are
// written to "VELKO.SCR" and can be fed back in place of live input.
#pragma once

#include <cstdio>

inline constexpr const char* SCRIPT_FILE_NAME = "VELKO.SCR";

extern int recording;
extern int playing;
extern int play_one;
// Recording: periodic events delivered since the last line was written.
// Playing: periodic events of the last PERIODIC line still to come.
extern int periodic_run;
// The one stream on the script file, or null.
extern std::FILE* script_stream;

// Writes one event as a line; for kind 3 the line carries periodic_run.
void script_write_event(int kind, int x, int y, char key);
// Puts the next scripted event into the pending event; 0 when there is none.
int script_read_event();
void stop_recording();
void stop_playback();
void close_script();

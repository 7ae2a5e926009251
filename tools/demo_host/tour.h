// One stop of the demo tour per subsystem, in the order the library builds up.
#pragma once

namespace demo {

void section(const char* title);  // prints a heading

void tour_messages();
void tour_strings();
void tour_paths();
void tour_collections();
void tour_fs();
void tour_units();
void tour_resources();
void tour_plugins();
void tour_math();
void tour_images();
void tour_platform();
void tour_profiler();
void tour_units_io();  // save a scene, load it into a fresh system, save the same bytes

}  // namespace demo

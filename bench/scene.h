// The scene the drawing benchmarks draw: the designer with three scoops and
// ten toppings of all three shapes, one of them selected, on the headless
// backend.
#pragma once

#include "designer/designer.h"
#include "designer/panel_layout.h"
#include "tests/support/client_origin.h"

// Starts the runtime once, as the designer does: log window hidden, logging
// off, surface wiped.
void bench_start_runtime();

DesignerState bench_scene();

// The designer's redraw, its own routines in the order of its main loop.
void bench_redraw(const DesignerState& s);

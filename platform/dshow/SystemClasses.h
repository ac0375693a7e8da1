// The media graph's own classes: the filter graph, the capture graph builder
// and the device enumerator.
#pragma once

// Registers them with CoRegisterClass; the programs call it at start-up.
void RegisterSystemClasses();

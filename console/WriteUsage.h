// The text the console program shows when it is started without arguments.
#pragma once

void WriteUsage();

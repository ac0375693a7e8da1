#include "console/WriteUsage.h"

#include "platform/console/ConsoleWrite.h"

void WriteUsage() {
  ConsoleWrite("usage: VISTRELC [-xyqfdt] -cCODEC -oFILE -iFOLDER]\n\r\n\r");
  ConsoleWrite(" X = Witdh of AVI File\n\r");
  ConsoleWrite(" Y = Height of AVI File\n\r");
  ConsoleWrite(" F = Frames per second of AVI File\n\r");
  ConsoleWrite(" D = displaytime of single image in seconds\n\r");
  ConsoleWrite(" T = transition of pictures of AVI File\n\r");
  ConsoleWrite(" Q = encoding quality in percent [0..100]\n\r");
  ConsoleWrite(" CODEC = Name of codec to use\n\r");
  ConsoleWrite(" FILE = OutputFile to write\n\r");
  ConsoleWrite(" FOLDER = Folder to get the JPGs from\n\n\r");
  ConsoleWrite("Example:\n\r");
  ConsoleWrite("VISTRELC -x320 -y240 -f15 -t0 -cMicrosoft Video 1 -oOutput.AVI -iC:\\My Documents\\My Images\\Test\n\r\n");
}

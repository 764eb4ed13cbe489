#pragma once
// One function per command; argv starts after the command name. Each returns the exit status.
int CommandInfo(int argc, char** argv);
int CommandRender(int argc, char** argv);
int CommandState(int argc, char** argv);
int CommandDemo(int argc, char** argv);
int CommandEditor(int argc, char** argv);
int CommandScreenshot(int argc, char** argv);
int CommandStress(int argc, char** argv);

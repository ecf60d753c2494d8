#include "app/driver.h"

int main(int argc, char* argv[]) { return runOrvane(argc, argv); }

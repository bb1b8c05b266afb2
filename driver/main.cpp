#include "driver/run.h"

int main() { return kestral::MAIN__(); }

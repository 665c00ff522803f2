#include "printing/Printer.h"

Printer::~Printer() = default;

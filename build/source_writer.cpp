#include "source_writer.h"

#pragma once

#include <string>

// Where the program keeps its own data: beside itself. The startup locations are rows of
// LocationTable.
extern const std::string DATA_FILE_NAME;

#include "products/bootwarden/LocationConstants.h"

const std::string DATA_FILE_NAME = "bootwarden.dat";

#include "products/bootwarden/window/BootwardenApp.h"

// The one application object; WinMain finds it and runs it.
products::bootwarden::window::BootwardenApp theApp;

#pragma once

#include "exceptions/IOException.h"

namespace windows::file {

class WindowsFileException : public io::IOException {
public:
    using IOException::IOException;
};

class CouldNotGetModuleFileNameException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotGetCurrentDirectoryException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotSetCurrentDirectoryException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotCreateDirectoryException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotDeleteFileException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotMoveFileException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotGetFirstLevelDirectoriesException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotGetFirstLevelFilesException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

class CouldNotExtractPathFromShourcutException : public WindowsFileException {
public:
    using WindowsFileException::WindowsFileException;
};

} // namespace windows::file

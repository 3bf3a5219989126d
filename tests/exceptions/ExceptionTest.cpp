#include "exceptions/Exception.h"
#include "io/IOException.h"

#include <gtest/gtest.h>

TEST(ExceptionTest, CopyKeepsMessageAndBaseCatchSeesIt)
{
    try {
        throw io::file::CouldNotSaveFileException("disk full");
    } catch (const exceptions::Exception& caught) {
        EXPECT_EQ("disk full", caught.getMessage());
    }
}

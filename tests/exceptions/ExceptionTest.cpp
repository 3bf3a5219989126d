#include "exceptions/Exception.h"
#include "io/IOException.h"

#include <gtest/gtest.h>

TEST(ExceptionTest, CopyKeepsMessageAndBaseCatchSeesIt)
{
    const io::file::CouldNotSaveFileException original("disk full");
    try {
        throw original;
    } catch (const io::IOException& caught) {
        EXPECT_EQ("disk full", caught.getMessage());
        const exceptions::Exception& root = caught;
        EXPECT_EQ("disk full", root.getMessage());
    }
}

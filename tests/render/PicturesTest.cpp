// Pictures of real structures drawn off screen, judged by pixel statistics.
#include "RenderTestContext.h"

#include <GL/gl.h>

#include <gtest/gtest.h>

TEST(Pictures, OffscreenContextClearsAndReadsBack) {
    OffscreenContext& c = TestContext();
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    const DibImage image = ReadPixelsAsDib(c.Width(), c.Height());
    ASSERT_EQ(image.RowBytes(), 960);
    EXPECT_EQ(image.Row(0)[0], 0);   // blue
    EXPECT_EQ(image.Row(0)[2], 255); // red
}

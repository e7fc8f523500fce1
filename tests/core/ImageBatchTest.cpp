#include "batch/ImageBatch.h"

#include <array>
#include <tuple>

#include <gtest/gtest.h>

#include "tests/support/TestPictures.h"

namespace {

// A batch of three loaded pictures of different sizes, so the reference shows which is selected.
class ImageBatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        const int sizes[3][2] = { { 40, 30 }, { 50, 20 }, { 60, 70 } };
        for (int i = 0; i < 3; ++i) {
            const std::string path = m_dir / ("p" + std::to_string(i) + ".png");
            testpics::WriteColour(path, sizes[i][0], sizes[i][1], "png");
            auto entry = std::make_unique<ImageEntry>();
            entry->SetPath(path);
            ASSERT_TRUE(entry->Load()) << entry->GetLastError();
            entry->MakeThumbnail(80, 60);
            entry->BuildInfoText();
            entry->FreeImage();
            m_batch.AddEntry(std::move(entry));
        }
    }

    testpics::TempDir m_dir;
    ImageBatch m_batch;
};

TEST_F(ImageBatchTest, OutOfRangeIndexesGiveNothing)
{
    EXPECT_EQ(m_batch.GetEntry(-1), nullptr);
    EXPECT_EQ(m_batch.GetEntry(3), nullptr);
    EXPECT_EQ(m_batch.GetInfoText(3), "");
    EXPECT_EQ(m_batch.GetTitle(-1), "");
    EXPECT_TRUE(m_batch.GetThumbnailBitmap(7).bytes.empty());
    EXPECT_EQ(m_batch.GetPendingPath(0), "");
    m_batch.AddEntry(nullptr);
    EXPECT_EQ(m_batch.GetEntryCount(), 3);
    m_batch.RemoveEntry(3);
    m_batch.RemoveEntry(-1);
    EXPECT_EQ(m_batch.GetEntryCount(), 3);
}

// Removing the selected entry selects the one before it, or the one that moved up; removing
// another leaves the index (and the reference) alone, even when it now points past the end.
TEST_F(ImageBatchTest, RemovingAnEntryMovesTheSelectionOnlyWhenItWasSelected)
{
    for (const auto [selected, removed, index, width] :
        { std::array { 1, 1, 0, 40 }, { 0, 0, 0, 50 }, { 2, 0, 2, 60 } }) {
        m_batch.RemoveAllEntries();
        SetUp();
        m_batch.SelectEntry(selected);
        m_batch.RemoveEntry(removed);
        EXPECT_EQ(m_batch.GetSelectedIndex(), index) << selected << " " << removed;
        EXPECT_EQ(m_batch.GetDimensions().referenceWidth, width) << selected << " " << removed;
    }
}

TEST_F(ImageBatchTest, EmptyingTheListResetsTheDimensions)
{
    m_batch.SetResizeMode(FixImage);
    m_batch.SelectEntry(2);
    m_batch.SetWidthValue(123, CurrentUnit);
    m_batch.RemoveEntry(2);
    m_batch.RemoveEntry(1);
    EXPECT_EQ(m_batch.GetDimensions().unit, Pixel); // still some left: nothing reset
    m_batch.RemoveEntry(0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), -1);
    const ResizeDimensions d = m_batch.GetDimensions();
    EXPECT_EQ(std::tuple(d.mode, d.unit, d.widthPixels, d.heightPercent, d.referenceHeight),
        std::tuple(ScaledImage, Percent, 800, 10000, 600));

    SetUp();
    m_batch.SelectEntry(1);
    m_batch.SetSizeUnit(Pixel);
    m_batch.RemoveAllEntries();
    EXPECT_EQ(m_batch.GetEntryCount(), 0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), -1);
    EXPECT_EQ(m_batch.GetDimensions().unit, Percent);
}

} // namespace

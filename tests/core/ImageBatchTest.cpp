#include "imaging/ImageBatch.h"

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
    int RefWidth() const { return m_batch.GetDimensions().referenceWidth; }

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

TEST_F(ImageBatchTest, RemovingTheSelectedEntrySelectsItsNeighbour)
{
    m_batch.SelectEntry(1);
    EXPECT_EQ(RefWidth(), 50);
    m_batch.RemoveEntry(1);
    EXPECT_EQ(m_batch.GetSelectedIndex(), 0);
    EXPECT_EQ(RefWidth(), 40);
    EXPECT_EQ(m_batch.GetDimensions().referenceHeight, 30);
}

TEST_F(ImageBatchTest, RemovingTheFirstSelectedSelectsTheOneThatMovedUp)
{
    m_batch.SelectEntry(0);
    m_batch.RemoveEntry(0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), 0);
    EXPECT_EQ(RefWidth(), 50);
    EXPECT_EQ(m_batch.GetTitle(0), "p1");
}

TEST_F(ImageBatchTest, RemovingAnEarlierEntryLeavesTheIndexAlone)
{
    m_batch.SelectEntry(2);
    m_batch.RemoveEntry(0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), 2);
    EXPECT_EQ(m_batch.GetEntry(m_batch.GetSelectedIndex()), nullptr);
}

TEST_F(ImageBatchTest, EmptyingTheListResetsTheDimensions)
{
    m_batch.SetResizeMode(FixImage);
    m_batch.SelectEntry(2);
    m_batch.SetWidthValue(123, CurrentUnit);
    m_batch.RemoveEntry(2);
    EXPECT_EQ(m_batch.GetSelectedIndex(), 1);
    m_batch.RemoveEntry(1);
    EXPECT_EQ(m_batch.GetSelectedIndex(), 0);
    EXPECT_EQ(m_batch.GetDimensions().unit, Pixel); // still some left: nothing reset
    m_batch.RemoveEntry(0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), -1);
    const ResizeDimensions d = m_batch.GetDimensions();
    EXPECT_EQ(d.mode, ScaledImage);
    EXPECT_EQ(d.unit, Percent);
    EXPECT_EQ(d.widthPixels, 800);
    EXPECT_EQ(d.heightPercent, 10000);
    EXPECT_EQ(d.referenceHeight, 600);

    SetUp();
    m_batch.SelectEntry(1);
    m_batch.SetSizeUnit(Pixel);
    m_batch.RemoveAllEntries();
    EXPECT_EQ(m_batch.GetEntryCount(), 0);
    EXPECT_EQ(m_batch.GetSelectedIndex(), -1);
    EXPECT_EQ(m_batch.GetDimensions().unit, Percent);
}

TEST_F(ImageBatchTest, SamePathTwiceGivesTwoEntries)
{
    auto entry = std::make_unique<ImageEntry>();
    entry->SetPath(m_batch.GetEntry(0)->GetPath());
    ASSERT_TRUE(entry->Load());
    m_batch.AddEntry(std::move(entry));
    EXPECT_EQ(m_batch.GetEntryCount(), 4);
    EXPECT_EQ(m_batch.GetTitle(3), m_batch.GetTitle(0));
}

} // namespace

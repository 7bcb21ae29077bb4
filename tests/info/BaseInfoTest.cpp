#include <gtest/gtest.h>

#include <boost/format.hpp>

#include <sstream>
#include <string>

#include "info/BaseInfo.h"
#include "view/ViewWindow.h"

namespace {

class TLinesInfo : public TBaseInfo {
public:
    void Collect() override {}
};

std::string Written(TBaseInfo& info)
{
    std::ostringstream file;
    info.WriteLines(file);
    return file.str();
}

std::string Rows(TCustomEdit& view)
{
    std::string joined;
    for (const std::string& row : view.GetLines()) joined += "[" + row + "]";
    return joined;
}

}  // namespace

TEST(BaseInfoTest, EachAddLineIsOneElement)
{
    TLinesInfo info;
    EXPECT_TRUE(info.GetLines().empty());
    info.AddLine(boost::format("Process Enum:\n"));
    info.AddLine(boost::format("a\nb\n\n"));
    info.AddLine(boost::format("|"));
    info.AddLine(boost::format("%-6s|%5d|%x\n") % "ab" % 42u % 255);
    ASSERT_EQ(4u, info.GetLines().size());
    EXPECT_EQ("a\nb\n\n", info.GetLines()[1]);
    EXPECT_EQ("|", info.GetLines()[2]);
    EXPECT_EQ("ab    |   42|ff\n", info.GetLines()[3]);
}

TEST(BaseInfoTest, FormatErrorsLeaveTheStoreUnchanged)
{
    TLinesInfo info;
    EXPECT_ANY_THROW(info.AddLine(boost::format("%s %s") % "only one"));
    EXPECT_TRUE(info.GetLines().empty());
}

TEST(BaseInfoTest, WriteLinesWritesExactlyTheElementBytes)
{
    TLinesInfo info;
    EXPECT_EQ("", Written(info));
    info.AddLine(boost::format("Drive information: \n"));
    info.AddLine(boost::format("%s") % std::string("a\0b", 3));
    info.AddLine(boost::format("固定ディスク\n"));
    info.AddLine(boost::format("\n"));
    EXPECT_EQ(std::string("Drive information: \na\0b\x8c\xc5\x92\xe8\x83\x66\x83\x42\x83\x58\x83\x4e\n\n", 37),
              Written(info));
}

TEST(BaseInfoTest, ElementWithoutLineFeedJoinsTheNextOnOneRow)
{
    TViewWindow window;
    TLinesInfo first;
    TLinesInfo second;
    first.AddLine(boost::format("Name"));
    first.AddLine(boost::format(" : "));
    second.AddLine(boost::format("value\n\n"));
    first.ShowLines(window.View());
    second.ShowLines(window.View());
    EXPECT_EQ("[Name : value\n][\n][]", Rows(window.View()));
}

TEST(BaseInfoTest, ShowLinesStripsCarriageReturnsFromTheStoreAndRefreshesOnce)
{
    TViewWindow window;
    TLinesInfo info;
    info.AddLine(boost::format("%s\r\n") % "Windows");
    info.AddLine(boost::format("a\rb\n"));
    info.ShowLines(window.View());
    window.Pump();
    EXPECT_EQ("Windows\n", info.GetLines()[0]);
    EXPECT_EQ("ab\n", info.GetLines()[1]);
    EXPECT_EQ("Windows\nab\n", Written(info));
    EXPECT_EQ(1, window.Paints());
}

TEST(BaseInfoTest, ShowLinesOfAnEmptyStoreOnlyRefreshes)
{
    TViewWindow window;
    window.AppendText("x\n");
    TLinesInfo info;
    info.ShowLines(window.View());
    window.Pump();
    EXPECT_EQ("[x\n][]", Rows(window.View()));
    EXPECT_EQ(1, window.Paints());
}

TEST(BaseInfoTest, ShowLinesStopsAppendingWhenAskedTo)
{
    TViewWindow window;
    TLinesInfo info;
    info.AddLine(boost::format("a\n"));
    info.AddLine(boost::format("b\n"));
    std::atomic<bool> stop(true);
    info.ShowLines(window.View(), &stop);
    stop = false;
    info.ShowLines(window.View(), &stop);
    window.Pump();
    EXPECT_EQ("[a\n][b\n][]", Rows(window.View())) << "only the second call appended";
}

#include <gtest/gtest.h>

#include <boost/format.hpp>

#include <atomic>
#include <sstream>
#include <string>

#include "app/MainDialog.h"
#include "info/BaseInfo.h"
#include "support/SectionText.h"
#include "view/ViewWindow.h"

namespace {

// A collector whose section is what the test adds to it.
class TLinesInfo : public TBaseInfo {
public:
    TLinesInfo() : TBaseInfo("lines...\n") {}
    void Collect(const OsVersionRecord&) override {}
    void AddLine(const boost::format& line) { Section.AddLine(line); }
};

std::string Written(const TBaseInfo& info)
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

TEST(BaseInfoTest, EachAddLineIsOneElementWithoutCarriageReturns)
{
    TLinesInfo info;
    EXPECT_TRUE(info.GetLines().empty());
    info.AddLine(boost::format("Process Enum:\n"));
    info.AddLine(boost::format("a\nb\n\n"));
    info.AddLine(boost::format("|"));
    info.AddLine(boost::format("%-6s|%5d|%x\n") % "ab" % 42u % 255);
    info.AddLine(boost::format("%s\r\n") % "a\rb");
    ASSERT_EQ(5u, info.GetLines().size());
    EXPECT_EQ("a\nb\n\n", info.GetLines()[1]);
    EXPECT_EQ("|", info.GetLines()[2]);
    EXPECT_EQ("ab    |   42|ff\n", info.GetLines()[3]);
    EXPECT_EQ("ab\n", info.GetLines()[4]);
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
    EXPECT_EQ(Written(info), SectionText(info));
}

// The run's view in the dialog: each collector's elements appended in turn,
// a refresh after each, and nothing after a stop.
TEST(BaseInfoTest, TheDialogsRunViewShowsElementsUntilAStop)
{
    TViewWindow window;
    TDialogRunView run(window.Window(), window.View());
    TLinesInfo first, second, empty;
    first.AddLine(boost::format("Name"));
    first.AddLine(boost::format(" : "));
    second.AddLine(boost::format("value\n\n"));
    std::atomic<bool> stop(false);
    run.Show(first, stop);
    run.Show(second, stop);
    run.Show(empty, stop);
    window.Pump();
    EXPECT_EQ("[Name : value\n][\n][]", Rows(window.View()));
    EXPECT_EQ(3, window.Paints()) << "one refresh for each collector";
    stop = true;
    run.Show(first, stop);
    EXPECT_EQ("[Name : value\n][\n][]", Rows(window.View())) << "a stopped run appends nothing";
}

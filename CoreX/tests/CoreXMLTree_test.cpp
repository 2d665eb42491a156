#include "CoreXMLTree.h"

#include <CoreFoundation/CFXMLParser.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

#include "CoreMachDebug.h"

const char* g_CoreMachDebug_LogPrefix = "CoreXMLTreeTest";
const char* g_CoreMachDebug_LogFileName = "CoreXMLTreeTest.log";

namespace {

std::string utf8(CFStringRef string) {
  std::string out;
  if (!string) return "<null>";
  return std_stringFromCFStringRef(string, out) ? out : "<unconvertible>";
}

// What the debug log received while the function ran.
std::string reportsOf(const std::function<void()>& run) {
  // The log's file goes to the user's Logs folder, which must exist for it to be written.
  static const bool logsFolderMade =
      std::filesystem::create_directories(std::string(getenv("HOME")) + "/Library/Logs");
  (void)logsFolderMade;
  ZidaZoraDurodAriSetUseLogger(kCoreLogOutput_ConsoleAndFile);
  testing::internal::CaptureStdout();
  run();
  return testing::internal::GetCapturedStdout();
}

// A parsed document that lives as long as the fixture; root() is its document node.
class CoreXMLTreeTest : public testing::Test {
 protected:
  CoreXMLTree parse(const std::string& xml) {
    auto data = adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size())));
    mDocument = adopt(CFXMLTreeCreateFromData(nullptr, data.get(), nullptr, kCFXMLParserSkipWhitespace,
                                              kCFXMLNodeCurrentVersion));
    return CoreXMLTree(mDocument.get());
  }

  RefPtr<__CFTree> mDocument;
};

struct FlatteningCase {
  const char* name;
  const char* content;   // inside <c>...</c>
  const char* expected;  // GetElementEntityText("c")
  const char* report;    // a text the log must hold, or "" for no report at all
};

void PrintTo(const FlatteningCase& c, std::ostream* out) { *out << c.name; }

class CoreXMLTreeFlattening : public CoreXMLTreeTest, public testing::WithParamInterface<FlatteningCase> {};

TEST_P(CoreXMLTreeFlattening, FlattensMixedContent) {
  const FlatteningCase& c = GetParam();
  CoreXMLTree document = parse(std::string("<c>") + c.content + "</c>");
  ASSERT_TRUE(document.IsValid());
  std::string flattened;
  std::string reports = reportsOf([&] {
    CFMutableStringRef text = document.GetElementEntityText("c");
    flattened = utf8(text);
    if (text) CFRelease(text);
  });
  EXPECT_EQ(flattened, c.expected);
  if (*c.report) {
    EXPECT_NE(reports.find(c.report), std::string::npos) << reports;
  } else {
    EXPECT_EQ(reports, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CoreXMLTreeFlattening,
    testing::Values(
        FlatteningCase{"TextEntityBreak", "a&lt;b<br/>c", "a<b\r\nc", ""},
        FlatteningCase{"PredefinedEntities", "&lt;&gt;&quot;&amp;&apos;", "<>\"&'", ""},
        FlatteningCase{"EntityNamesIgnoreCase", "&LT;&Amp;", "<&", ""},
        FlatteningCase{"OtherEntitiesGiveTheirName", "x&nbsp;y&copy;", "xnbspycopy", ""},
        FlatteningCase{"BreaksAndRulesInAnyCase", "a<BR/>b<hr></hr>c<Hr/>", "a\r\nb\r\nc\r\n", ""},
        FlatteningCase{"BreakWithChildrenIsStillABreak", "a<br>lost</br>b", "a\r\nb", ""},
        FlatteningCase{"NestedElementsAreDescended", "a<b>bold <i>it</i>!</b>z", "abold it!z", ""},
        FlatteningCase{"ElementWithoutChildrenIsDumped", "a<span/>b<p></p>c", "abc",
                       "CoreXMLTree:CoreXMLTree::GetElementEntityText unknown element with zero children"},
        FlatteningCase{"OnlyChildWithoutChildren", "<img src='x'/>", "", "node_value:img"},
        FlatteningCase{"CommentsAndCDATAGiveTheirText", "x<!--c-->y<![CDATA[<z>]]>", "xcy<z>", ""},
        FlatteningCase{"EscapedMarkupOfAnHTMLEntry", "&lt;p&gt;Hi&lt;br /&gt;there&lt;/p&gt;",
                       "<p>Hi<br />there</p>", ""},
        FlatteningCase{"SpaceBetweenEntitiesSurvives", "&lt;b&gt; &lt;i&gt;", "<b> <i>", ""},
        FlatteningCase{"Empty", "", "", ""}),
    [](const testing::TestParamInfo<FlatteningCase>& info) { return std::string(info.param.name); });

TEST_F(CoreXMLTreeTest, EntityTextWithoutDescendingSkipsNestedElements) {
  CoreXMLTree c = parse("<c>a<b>x</b><br/>c</c>").GetChildElement("c");
  CFMutableStringRef text = c.GetEntityText(false);
  EXPECT_EQ(utf8(text), "a\r\nc");
  CFRelease(text);
}

TEST_F(CoreXMLTreeTest, ChildrenAreFoundByKindNameAndPositionAmongTheirLike) {
  CoreXMLTree feed =
      parse("<feed><title>T</title><entry>1</entry><link/><ENTRY>2</ENTRY><!--x--><entry>3</entry></feed>")
          .GetChildElement("feed");
  ASSERT_TRUE(feed.IsValid());
  EXPECT_EQ(feed.GetChildElementCount("entry"), 3u);
  EXPECT_EQ(feed.GetChildCount(kCFXMLNodeTypeElement), 5u);
  EXPECT_EQ(feed.GetChildCount(0), 6u);
  EXPECT_EQ(feed.GetChildCount(kCFXMLNodeTypeComment), 1u);
  EXPECT_EQ(utf8(feed.GetElementChildTextValue("entry", 1)), "2") << "the second entry, not the second child";
  EXPECT_EQ(utf8(feed.GetElementChildTextValue("Entry", 2)), "3");
  EXPECT_TRUE(feed.HasChildElement("LINK"));
  EXPECT_FALSE(feed.HasChildElement("entry", 3));
  EXPECT_EQ(utf8(feed.GetChild(4, 0).GetNodeValue()), "x");
  EXPECT_EQ(utf8(feed.GetElementValue("title")), "title");
  EXPECT_EQ(feed.GetChildElement("title").GetNodeType(), kCFXMLNodeTypeElement);

  std::string reports = reportsOf([&] { EXPECT_EQ(feed.GetElementValue("missing"), nullptr); });
  EXPECT_NE(reports.find(" code : element.IsValid()"), std::string::npos) << reports;
  reports = reportsOf([&] { EXPECT_EQ(feed.GetElementChildTextValue("missing"), nullptr); });
  EXPECT_EQ(reports, "") << "a missing element is not a fault here";
}

TEST_F(CoreXMLTreeTest, InvalidTreeGivesEmptyAnswersAndReports) {
  CoreXMLTree nothing;
  std::string reports = reportsOf([&] {
    EXPECT_FALSE(nothing.GetChildElement("a").IsValid());
    EXPECT_EQ(nothing.GetChildCount(0), 0u);
    EXPECT_EQ(nothing.GetNodeValue(), nullptr);
  });
  EXPECT_NE(reports.find("VERIFY FAILED:  code : IsValid()"), std::string::npos) << reports;
  EXPECT_NE(reports.find(" code : nodeRef"), std::string::npos) << reports;

  // A second tree read through the same object after assignment.
  CoreXMLTree document = parse("<a/>");
  nothing = document.GetTreeRef();
  EXPECT_TRUE(nothing.HasChildElement("a"));
}

TEST_F(CoreXMLTreeTest, TextOfAnElementWithSeveralTextsIsItsFirst) {
  CoreXMLTree entry = parse("<entry><title>Rock &amp; Roll</title></entry>").GetChildElement("entry");
  CFStringRef title = nullptr;
  std::string reports = reportsOf([&] { title = entry.GetElementChildTextValue("title"); });
  EXPECT_EQ(utf8(title), "Rock ");
  EXPECT_NE(reports.find(" code : element.GetChildCount(kCFXMLNodeTypeText)==1"), std::string::npos)
      << reports;
}

TEST_F(CoreXMLTreeTest, AttributesAreReadByNameAndByPosition) {
  CoreXMLTree feed = parse(
                         "<feed><link rel='alternate' href='http://x/?a=1&amp;b=2'/>"
                         "<link href='y'></link><plain/></feed>")
                         .GetChildElement("feed");
  // Written as an empty-element tag or with an end tag, an element answers its attributes.
  CoreXMLTree empty = feed.GetChildElement("link", 0);
  EXPECT_EQ(empty.GetAttributeCount(), 2);
  std::string value;
  EXPECT_TRUE(empty.GetAttribute("href", value));
  EXPECT_EQ(value, "http://x/?a=1&b=2");
  EXPECT_TRUE(empty.HasAttribute(CFSTR("rel")));
  EXPECT_FALSE(empty.HasAttribute(CFSTR("REL"))) << "attribute names keep their case";
  std::string name;
  EXPECT_TRUE(empty.GetAttribute(0u, name, value));
  EXPECT_EQ(name + "=" + value, "rel=alternate");
  EXPECT_TRUE(empty.GetAttribute(1u, name, value));
  EXPECT_EQ(name, "href");

  CoreXMLTree closed = feed.GetChildElement("link", 1);
  EXPECT_EQ(closed.GetAttributeCount(), 1);
  CFStringRef href = nullptr;
  EXPECT_TRUE(closed.GetAttribute(CFSTR("href"), href));
  EXPECT_EQ(utf8(href), "y");

  CoreXMLTree plain = feed.GetChildElement("plain");
  std::string reports = reportsOf([&] {
    EXPECT_EQ(plain.GetAttributeCount(), 0);
    EXPECT_FALSE(plain.GetAttribute("href", value));
    EXPECT_EQ(value, "");
  });
  EXPECT_EQ(reports, "");

  CFStringRef nameRef = CFSTR("stale"), valueRef = CFSTR("stale");
  reports = reportsOf([&] { EXPECT_FALSE(closed.GetAttribute(1u, nameRef, valueRef)); });
  EXPECT_EQ(nameRef, nullptr);
  EXPECT_EQ(valueRef, nullptr);
  EXPECT_NE(reports.find(" code : in_attribute_n<count"), std::string::npos) << reports;
}

TEST_F(CoreXMLTreeTest, AttributesOfOtherKindsOfNodeAreReported) {
  CoreXMLTree text = parse("<a>t</a>").GetChildElement("a").GetChild(0, kCFXMLNodeTypeText);
  ASSERT_TRUE(text.IsValid());
  std::string reports = reportsOf([&] {
    EXPECT_EQ(text.GetElementInfo(), nullptr);
    EXPECT_EQ(text.GetAttributeCount(), 0);
  });
  EXPECT_NE(reports.find(" code : IsNodeType(kCFXMLNodeTypeElement)"), std::string::npos) << reports;
}

TEST_F(CoreXMLTreeTest, DumpWritesTheNodeAndItsValue) {
  CoreXMLTree a = parse("<a><b/><c/></a>").GetChildElement("a");
  std::string reports = reportsOf([&] { a.Dump("label"); });
  char expected[256];
  std::snprintf(expected, sizeof expected,
                "CoreXMLTreeTest:CoreXMLTree:label tree_ref:%08lx node_ref:%08lx node_type:2 children:2\n",
                reinterpret_cast<unsigned long>(a.GetTreeRef()),
                reinterpret_cast<unsigned long>(a.GetNodeRef()));
  EXPECT_EQ(reports, std::string(expected) + "CoreXMLTreeTest:node_value:a\n");
}

TEST(CoreXMLTree, NodeTypeNames) {
  const char* names[] = {"unknown node type",
                         "document",
                         "element",
                         "attribute",
                         "processing instruction",
                         "comment",
                         "text",
                         "CDATA section",
                         "document fragment",
                         "entity",
                         "entity reference",
                         "document type",
                         "whitespace",
                         "notation",
                         "element type declaration",
                         "attribute list declaration"};
  for (CFIndex code = 0; code <= 15; ++code)
    EXPECT_STREQ(CoreXMLTree::NodeTypeName(code), names[code]) << code;
  EXPECT_STREQ(CoreXMLTree::NodeTypeName(16), "unknown node type");
  EXPECT_STREQ(CoreXMLTree::NodeTypeName(-1), "unknown node type");
}

TEST(CoreXMLTree, StringConversion) {
  std::string out = "stale";
  std::string reports = reportsOf([&] { EXPECT_FALSE(std_stringFromCFStringRef(nullptr, out)); });
  EXPECT_EQ(out, "");
  EXPECT_NE(reports.find(" code : inStringRef"), std::string::npos) << reports;

  EXPECT_TRUE(std_stringFromCFStringRef(CFSTR(""), out)) << "the empty text converts too";
  EXPECT_EQ(out, "");
  EXPECT_TRUE(std_stringFromCFStringRef(CFSTR("caf\xC3\xA9 \xF0\x9F\x8E\xA5"), out));
  EXPECT_EQ(out, "caf\xC3\xA9 \xF0\x9F\x8E\xA5");
}

TEST_F(CoreXMLTreeTest, ReadsAnAtomFeedAsTheFeedReaderDoes) {
  CoreXMLTree document = parse(
      "<?xml version='1.0' encoding='UTF-8'?>\n"
      "<feed xmlns='http://www.w3.org/2005/Atom'>\n"
      "  <title type='text'>Designs</title>\n"
      "  <entry>\n    <title type='text'>Blue</title>\n"
      "    <content type='html'>key=1&lt;br /&gt;mode=2&amp;nbsp;</content>\n  </entry>\n"
      "  <entry>\n    <title>Green</title>\n    <content>a<br/>b</content>\n  </entry>\n"
      "</feed>\n");
  CoreXMLTree feed = document.GetChildElement("feed");
  ASSERT_TRUE(feed.IsValid());
  EXPECT_EQ(utf8(feed.GetElementChildTextValue("title")), "Designs");
  ASSERT_EQ(feed.GetChildElementCount("entry"), 2u);
  const char* titles[] = {"Blue", "Green"};
  const char* contents[] = {"key=1<br />mode=2&nbsp;", "a\r\nb"};
  for (UInt32 i = 0; i < 2; ++i) {
    CoreXMLTree entry = feed.GetChildElement("entry", i);
    EXPECT_EQ(utf8(entry.GetElementChildTextValue("title")), titles[i]);
    CFMutableStringRef content = entry.GetElementEntityText("content");
    EXPECT_EQ(utf8(content), contents[i]);
    CFRelease(content);
  }
}

}  // namespace

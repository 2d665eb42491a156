#include <CoreFoundation/CFXMLParser.h>
#include <gtest/gtest.h>
#include <objc/RefPtr.h>

#include <cstring>
#include <string>

namespace {

using Tree = RefPtr<__CFTree>;

std::string utf8(CFStringRef string) {
  if (!string) return "<null>";
  CFIndex size = CFStringGetMaximumSizeForEncoding(CFStringGetLength(string), kCFStringEncodingUTF8) + 1;
  std::string buffer(size_t(size), '\0');
  if (!CFStringGetCString(string, buffer.data(), size, kCFStringEncodingUTF8)) return "<unconvertible>";
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

// A compact picture of a tree: elements as tags with their attributes in document order,
// text in quotes, entity references as written, whitespace as ~, comments as (!...),
// processing instructions as (?target data), CDATA as [CDATA:...], the document type as
// (DOCTYPE name).
std::string picture(CFXMLTreeRef tree) {
  CFXMLNodeRef node = CFXMLTreeGetNode(tree);
  std::string value = escaped(utf8(CFXMLNodeGetString(node)));
  std::string children;
  for (CFIndex i = 0; i < CFTreeGetChildCount(tree); ++i) children += picture(CFTreeGetChildAtIndex(tree, i));
  switch (CFXMLNodeGetTypeCode(node)) {
    case kCFXMLNodeTypeDocument:
      return children;
    case kCFXMLNodeTypeElement: {
      auto info = static_cast<const CFXMLElementInfo*>(CFXMLNodeGetInfoPtr(node));
      std::string tag = "<" + value;
      for (CFIndex i = 0; i < CFArrayGetCount(info->attributeOrder); ++i) {
        auto name = static_cast<CFStringRef>(CFArrayGetValueAtIndex(info->attributeOrder, i));
        auto text = static_cast<CFStringRef>(CFDictionaryGetValue(info->attributes, name));
        tag += " " + utf8(name) + "=\"" + escaped(utf8(text)) + "\"";
      }
      if (info->isEmpty) return tag + "/>" + children;
      return tag + ">" + children + "</" + value + ">";
    }
    case kCFXMLNodeTypeText:
      return "\"" + value + "\"";
    case kCFXMLNodeTypeEntityReference:
      return "&" + value + ";";
    case kCFXMLNodeTypeWhitespace:
      return "~";
    case kCFXMLNodeTypeComment:
      return "(!" + value + ")";
    case kCFXMLNodeTypeProcessingInstruction: {
      auto info = static_cast<const CFXMLProcessingInstructionInfo*>(CFXMLNodeGetInfoPtr(node));
      return "(?" + value + " " + utf8(info->dataString) + ")";
    }
    case kCFXMLNodeTypeCDATASection:
      return "[CDATA:" + value + "]";
    case kCFXMLNodeTypeDocumentType:
      return "(DOCTYPE " + value + ")";
    default:
      return "?" + std::to_string(CFXMLNodeGetTypeCode(node)) + "?";
  }
}

Tree parse(const std::string& xml, CFOptionFlags options = kCFXMLParserSkipWhitespace) {
  auto data = adopt(CFDataCreate(nullptr, reinterpret_cast<const UInt8*>(xml.data()), CFIndex(xml.size())));
  return adopt(CFXMLTreeCreateFromData(nullptr, data.get(), nullptr, options, kCFXMLNodeCurrentVersion));
}

struct DocumentCase {
  const char* name;
  std::string xml;
  CFOptionFlags options;
  const char* picture;
};

void PrintTo(const DocumentCase& c, std::ostream* out) { *out << c.name; }

class CFXMLDocuments : public testing::TestWithParam<DocumentCase> {};

TEST_P(CFXMLDocuments, ParseIntoTheNodesTheirReadersExpect) {
  const DocumentCase& c = GetParam();
  Tree tree = parse(c.xml, c.options);
  ASSERT_TRUE(tree) << c.xml;
  EXPECT_EQ(CFXMLNodeGetTypeCode(CFXMLTreeGetNode(tree.get())), kCFXMLNodeTypeDocument);
  EXPECT_EQ(picture(tree.get()), c.picture);
}

const CFOptionFlags kSkip = kCFXMLParserSkipWhitespace;

INSTANTIATE_TEST_SUITE_P(
    Table, CFXMLDocuments,
    testing::Values(
        DocumentCase{"Text", "<a>x</a>", kSkip, "<a>\"x\"</a>"},
        DocumentCase{"AttributesKeepTheirOrder", "<a z=\"1\" b='2' m = \"3\"></a>", kSkip,
                     "<a z=\"1\" b=\"2\" m=\"3\"></a>"},
        DocumentCase{"EmptyElementKeepsItsAttributes", "<feed><link href=\"x\" rel='alternate'/></feed>",
                     kSkip, "<feed><link href=\"x\" rel=\"alternate\"/></feed>"},
        DocumentCase{"EntitiesStayNodesOfTheirOwn", "<p>a&lt;b<br/>c&nbsp;&amp;</p>", kSkip,
                     "<p>\"a\"&lt;\"b\"<br/>\"c\"&nbsp;&amp;</p>"},
        DocumentCase{"CharacterReferencesBecomeText", "<p>a&#60;b&#x3e;&#233;</p>", kSkip,
                     "<p>\"a<b>é\"</p>"},
        DocumentCase{"AttributeValuesAreResolved", "<a v='&lt;&#65;&quot;&unknown;' w=\"a\tb\nc\"/>", kSkip,
                     "<a v=\"<A\"&unknown;\" w=\"a b c\"/>"},
        DocumentCase{"FormattingIsSkipped", "<a>\n  <b>x</b>\n  <c/>\n</a>", kSkip,
                     "<a><b>\"x\"</b><c/></a>"},
        DocumentCase{"FormattingIsWhitespaceWithoutSkipping", "<a>\n  <b>x</b>\n</a>", kCFXMLParserNoOptions,
                     "<a>~<b>\"x\"</b>~</a>"},
        DocumentCase{"SpaceBetweenEntitiesIsContent", "<a>&lt;b&gt; &lt;i&gt;\n</a>", kSkip,
                     "<a>&lt;\"b\"&gt;\" \"&lt;\"i\"&gt;</a>"},
        DocumentCase{"SpaceWrittenAsReferenceIsContent", "<a>&#32;</a>", kSkip, "<a>\" \"</a>"},
        DocumentCase{"TextAroundMarkupKeepsItsSpaces", "<a> x <b/> y </a>", kSkip,
                     "<a>\" x \"<b/>\" y \"</a>"},
        DocumentCase{"LineEndsAreNormalised", "<a>x\r\ny\rz</a>", kSkip, "<a>\"x\\ny\\nz\"</a>"},
        DocumentCase{"CommentsInstructionsAndCDATA",
                     "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- c -->\n<?style "
                     "x=1?>\n<a><![CDATA[<b>&amp;]]></a>",
                     kSkip, "(! c )(?style x=1)<a>[CDATA:<b>&amp;]</a>"},
        DocumentCase{"DocumentTypeWithInternalSubset",
                     "<!DOCTYPE html PUBLIC \"-//x\" \"x.dtd\" [<!ENTITY e \"]>\"> <!-- ] -->]>\n<html/>",
                     kSkip, "(DOCTYPE html)<html/>"},
        DocumentCase{"ByteOrderMarkAndUnicodeNames",
                     "\xEF\xBB\xBF<caf\xC3\xA9 \xC3\xA0='1'>\xE2\x82\xAC</caf\xC3\xA9>", kSkip,
                     "<café à=\"1\">\"€\"</café>"},
        DocumentCase{"NestedElements", "<a><b><c>x</c><c>y</c></b></a>", kSkip,
                     "<a><b><c>\"x\"</c><c>\"y\"</c></b></a>"}),
    [](const testing::TestParamInfo<DocumentCase>& info) { return std::string(info.param.name); });

struct MalformedCase {
  const char* name;
  std::string xml;
};

void PrintTo(const MalformedCase& c, std::ostream* out) { *out << c.name; }

class CFXMLMalformed : public testing::TestWithParam<MalformedCase> {};

TEST_P(CFXMLMalformed, AnswersNoTree) { EXPECT_FALSE(parse(GetParam().xml)) << GetParam().xml; }

INSTANTIATE_TEST_SUITE_P(
    Table, CFXMLMalformed,
    testing::Values(
        MalformedCase{"Empty", ""}, MalformedCase{"OnlySpaces", " \n "},
        MalformedCase{"Unclosed", "<a><b></b>"}, MalformedCase{"Mismatched", "<a></b>"},
        MalformedCase{"Crossed", "<a><b></a></b>"}, MalformedCase{"StrayEndTag", "<a/></a>"},
        MalformedCase{"TwoRoots", "<a/><b/>"}, MalformedCase{"TextOutsideRoot", "x<a/>"},
        MalformedCase{"ReferenceOutsideRoot", "<a/>&amp;"}, MalformedCase{"UnquotedValue", "<a x=1/>"},
        MalformedCase{"AttributeTwice", "<a x='1' x='2'/>"}, MalformedCase{"LessThanInValue", "<a x='<'/>"},
        MalformedCase{"BareAmpersand", "<a>AT&T</a>"}, MalformedCase{"EmptyReference", "<a>&;</a>"},
        MalformedCase{"ReferenceToNul", "<a>&#0;</a>"},
        MalformedCase{"ReferenceToSurrogate", "<a>&#xD800;</a>"},
        MalformedCase{"HugeReference", "<a>&#99999999999999999999;</a>"},
        MalformedCase{"InvalidUTF8", "<a>\xFF</a>"}, MalformedCase{"OverlongUTF8", "<a>\xC0\xAF</a>"},
        MalformedCase{"TruncatedUTF8", "<a>\xE2\x82</a>"}, MalformedCase{"ControlCharacter", "<a>\x01</a>"},
        MalformedCase{"UnterminatedComment", "<a><!-- x</a>"},
        MalformedCase{"UnterminatedCDATA", "<a><![CDATA[x</a>"},
        MalformedCase{"LateXMLDeclaration", "<a><?xml version='1.0'?></a>"},
        MalformedCase{"OtherEncoding", "<?xml version='1.0' encoding='ISO-8859-1'?><a/>"},
        MalformedCase{"DocumentTypeInsideRoot", "<a><!DOCTYPE a></a>"},
        MalformedCase{"TagWithoutName", "<>x</>"}),
    [](const testing::TestParamInfo<MalformedCase>& info) { return std::string(info.param.name); });

TEST(CFXMLParser, RefusesNullDataAndDocumentsNestedTooDeeply) {
  EXPECT_FALSE(CFXMLTreeCreateFromData(nullptr, nullptr, nullptr, kSkip, kCFXMLNodeCurrentVersion));

  auto nested = [](size_t depth) {
    std::string xml;
    for (size_t i = 0; i < depth; ++i) xml += "<a>";
    for (size_t i = 0; i < depth; ++i) xml += "</a>";
    return xml;
  };
  EXPECT_TRUE(parse(nested(1000)));
  EXPECT_FALSE(parse(nested(100000)));
}

// Each attribute is checked against those before it by name, not one by one.
TEST(CFXMLParser, ReadsAnElementWithTensOfThousandsOfAttributes) {
  std::string xml = "<a";
  for (int i = 0; i < 40000; ++i) xml += " n" + std::to_string(i) + "='" + std::to_string(i) + "'";
  EXPECT_TRUE(parse(xml + "/>"));
  EXPECT_FALSE(parse(xml + " n39999='again'/>"));
}

TEST(CFXMLParser, DocumentNodeCarriesSourceAndEncoding) {
  Tree tree = parse("<a/>");
  ASSERT_TRUE(tree);
  auto info = static_cast<const CFXMLDocumentInfo*>(CFXMLNodeGetInfoPtr(CFXMLTreeGetNode(tree.get())));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->encoding, kCFStringEncodingUTF8);
  EXPECT_EQ(CFXMLNodeGetVersion(CFXMLTreeGetNode(tree.get())), kCFXMLNodeCurrentVersion);
}

TEST(CFXMLParser, TreeLinksParentsChildrenAndSiblings) {
  Tree tree = parse("<a><b/>t<c/></a>");
  ASSERT_TRUE(tree);
  CFTreeRef a = CFTreeGetFirstChild(tree.get());
  ASSERT_EQ(CFTreeGetChildCount(a), 3);
  CFTreeRef b = CFTreeGetFirstChild(a);
  CFTreeRef text = CFTreeGetNextSibling(b);
  CFTreeRef c = CFTreeGetNextSibling(text);
  EXPECT_EQ(c, CFTreeGetChildAtIndex(a, 2));
  EXPECT_EQ(CFTreeGetNextSibling(c), nullptr);
  EXPECT_EQ(CFTreeGetChildAtIndex(a, 3), nullptr);
  EXPECT_EQ(CFTreeGetChildAtIndex(a, -1), nullptr);
  EXPECT_EQ(CFTreeGetParent(c), a);
  EXPECT_EQ(CFTreeGetParent(a), tree.get());
  EXPECT_EQ(CFTreeGetParent(tree.get()), nullptr);
}

int gLiveInfos = 0;
const void* retainInfo(const void* info) {
  ++gLiveInfos;
  return info;
}
void releaseInfo(const void*) { --gLiveInfos; }

TEST(CFTree, ParentOwnsChildrenAndRefusesSecondParentsAndCycles) {
  CFTreeContext context{0, nullptr, retainInfo, releaseInfo, nullptr};
  {
    Tree root = adopt(CFTreeCreate(nullptr, &context));
    Tree child = adopt(CFTreeCreate(nullptr, &context));
    Tree other = adopt(CFTreeCreate(nullptr, &context));
    CFTreeAppendChild(root.get(), child.get());
    CFTreeAppendChild(other.get(), child.get());  // already has a parent
    CFTreeAppendChild(child.get(), root.get());   // would make a cycle
    CFTreeAppendChild(root.get(), root.get());
    EXPECT_EQ(CFTreeGetChildCount(root.get()), 1);
    EXPECT_EQ(CFTreeGetChildCount(other.get()), 0);
    EXPECT_EQ(CFTreeGetChildCount(child.get()), 0);
    EXPECT_EQ(gLiveInfos, 3);
    child = nullptr;
    EXPECT_EQ(gLiveInfos, 3) << "the parent keeps its child";
    EXPECT_EQ(CFTreeGetParent(CFTreeGetFirstChild(root.get())), root.get());
  }
  EXPECT_EQ(gLiveInfos, 0);
}

}  // namespace

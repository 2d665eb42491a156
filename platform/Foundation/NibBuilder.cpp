#include <Foundation/NibBuilder.h>

#include <cstdio>
#include <fstream>

#include <CoreFoundation/CFPlatformRoot.h>

namespace {

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string keyed(const char* element, const std::string& key, const std::string& value) {
  return "<" + std::string(element) + " key=\"" + escaped(key) + "\">" + escaped(value) + "</" + element + ">";
}

std::string objectTag(const std::string& key, const std::string& className, const std::string& id) {
  std::string tag = "<object";
  if (!key.empty()) tag += " key=\"" + escaped(key) + "\"";
  if (!id.empty()) tag += " id=\"" + escaped(id) + "\"";
  return tag + " class=\"" + escaped(className) + "\">";
}

}  // namespace

size_t NibBuilder::addNode(std::string text, bool container, std::string closing) {
  mNodes.push_back({std::move(text), {}, container, std::move(closing)});
  return mNodes.size() - 1;
}

NibBuilder::Object NibBuilder::object(const std::string& className, const std::string& id) {
  size_t index = addNode(objectTag({}, className, id), true, "</object>");
  mTopLevel.push_back(index);
  return Object(this, index);
}

NibBuilder::Object& NibBuilder::Object::setString(const std::string& key, const std::string& value) {
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(keyed("string", key, value), false, {}));
  return *this;
}

NibBuilder::Object& NibBuilder::Object::setInteger(const std::string& key, long long value) {
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(keyed("integer", key, std::to_string(value)), false, {}));
  return *this;
}

NibBuilder::Object& NibBuilder::Object::setReal(const std::string& key, double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(keyed("real", key, text), false, {}));
  return *this;
}

NibBuilder::Object& NibBuilder::Object::setBool(const std::string& key, bool value) {
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(keyed("bool", key, value ? "YES" : "NO"), false, {}));
  return *this;
}

NibBuilder::Object& NibBuilder::Object::setReference(const std::string& key, const std::string& id) {
  std::string text = "<reference key=\"" + escaped(key) + "\" ref=\"" + escaped(id) + "\"/>";
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(text, false, {}));
  return *this;
}

NibBuilder::Object& NibBuilder::Object::setReferences(const std::string& key, const std::vector<std::string>& ids) {
  std::string text = "<array key=\"" + escaped(key) + "\">";
  for (const std::string& id : ids) text += "<reference ref=\"" + escaped(id) + "\"/>";
  text += "</array>";
  mBuilder->mNodes[mIndex].children.push_back(mBuilder->addNode(text, false, {}));
  return *this;
}

NibBuilder::Object NibBuilder::Object::object(const std::string& key, const std::string& className,
                                              const std::string& id) {
  size_t index = mBuilder->addNode(objectTag(key, className, id), true, "</object>");
  mBuilder->mNodes[mIndex].children.push_back(index);
  return Object(mBuilder, index);
}

void NibBuilder::outlet(const std::string& source, const std::string& key, const std::string& destination) {
  mConnections.push_back("<outlet source=\"" + escaped(source) + "\" key=\"" + escaped(key) + "\" destination=\"" +
                         escaped(destination) + "\"/>");
}

void NibBuilder::action(const std::string& source, const std::string& selector, const std::string& destination) {
  mConnections.push_back("<action source=\"" + escaped(source) + "\" selector=\"" + escaped(selector) +
                         "\" destination=\"" + escaped(destination) + "\"/>");
}

void NibBuilder::binding(const std::string& source, const std::string& binding, const std::string& destination,
                         const std::string& keyPath, const std::string& transformerName) {
  std::string text = "<binding source=\"" + escaped(source) + "\" binding=\"" + escaped(binding) +
                     "\" destination=\"" + escaped(destination) + "\" keyPath=\"" + escaped(keyPath) + "\"";
  if (!transformerName.empty()) text += " transformer=\"" + escaped(transformerName) + "\"";
  mConnections.push_back(text + "/>");
}

void NibBuilder::write(size_t index, int depth, std::string& out) const {
  const Node& node = mNodes[index];
  out += std::string(size_t(depth) * 2, ' ') + node.text + "\n";
  if (!node.container) return;
  for (size_t child : node.children) write(child, depth + 1, out);
  out += std::string(size_t(depth) * 2, ' ') + node.closing + "\n";
}

std::string NibBuilder::xml() const {
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<nib>\n";
  for (size_t index : mTopLevel) write(index, 1, out);
  out += "  <connections>\n";
  for (const std::string& connection : mConnections) out += "    " + connection + "\n";
  out += "  </connections>\n</nib>\n";
  return out;
}

bool NibBuilder::writeToFile(const std::string& path) const {
  size_t slash = path.rfind('/');
  if (slash != std::string::npos) CFPlatform::makeFolders(path.substr(0, slash));
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << xml();
  return bool(file.flush());
}

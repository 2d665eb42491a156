#pragma once
// Writes nib files. A nib is XML:
//   <nib>
//     <object id="panel" class="UPanelController">          a top-level object
//       <string key="title">Presets</string>                values its initWithCoder decodes:
//       <integer key="tag">3</integer> <real key="minValue">0.5</real> <bool key="enabled">YES</bool>
//       <reference key="menu" ref="menu"/>                  another object of the nib, or "owner"
//       <object key="cell" id="cell" class="NSButtonCell"/> an object it contains
//       <array key="subviews"> ...values... </array>
//     </object>
//     <connections>
//       <outlet source="owner" key="nibblerSubView" destination="panel"/>
//       <action source="button" selector="installSender:" destination="owner"/>
//       <binding source="field" binding="value" destination="table" keyPath="app.title" transformer="Name"/>
//     </connections>
//   </nib>
// "owner" is the owner the nib is instantiated with.
//
//   NibBuilder nib;
//   nib.object("UPanelController", "panel").setString("title", "Presets");
//   nib.outlet("owner", "nibblerSubView", "panel");
//   nib.writeToFile(bundleResources + "/UPanel.nib");
#include <deque>
#include <string>
#include <utility>
#include <vector>

#pragma GCC visibility push(default)

class NibBuilder {
 public:
  class Object {
   public:
    Object& setString(const std::string& key, const std::string& value);
    Object& setInteger(const std::string& key, long long value);
    Object& setReal(const std::string& key, double value);
    Object& setBool(const std::string& key, bool value);
    Object& setReference(const std::string& key, const std::string& id);
    // An array of references to objects of the nib.
    Object& setReferences(const std::string& key, const std::vector<std::string>& ids);
    // An object that this one contains, decoded under the key.
    Object object(const std::string& key, const std::string& className, const std::string& id = {});

   private:
    friend class NibBuilder;
    Object(NibBuilder* builder, size_t index) : mBuilder(builder), mIndex(index) {}
    NibBuilder* mBuilder;
    size_t mIndex;
  };

  static constexpr const char* owner = "owner";

  // A top-level object; the id is what connections and references name it by.
  Object object(const std::string& className, const std::string& id = {});
  void outlet(const std::string& source, const std::string& key, const std::string& destination);
  void action(const std::string& source, const std::string& selector, const std::string& destination);
  void binding(const std::string& source, const std::string& binding, const std::string& destination,
               const std::string& keyPath, const std::string& transformerName = {});

  std::string xml() const;
  // Writes the nib (and the folders it lies in); false when it cannot be written.
  bool writeToFile(const std::string& path) const;

 private:
  struct Node {
    std::string text;                 // the opening tag with its attributes, or a whole element
    std::vector<size_t> children;     // nested nodes, for objects
    bool container = false;
    std::string closing;
  };
  size_t addNode(std::string text, bool container, std::string closing);
  void write(size_t index, int depth, std::string& out) const;

  std::deque<Node> mNodes;
  std::vector<size_t> mTopLevel;
  std::vector<std::string> mConnections;
};

#pragma GCC visibility pop

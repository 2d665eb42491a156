// The information property list that the embedded-info probe carries in itself.
__attribute__((section("__info_plist"), used)) static const char kEmbeddedInfoPlist[] =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleIdentifier</key><string>com.quillfen.test.EmbeddedProbe</string>
<key>CFBundleName</key><string>EmbeddedProbe</string>
</dict></plist>
)";

// The helper's information property list, embedded in its executable where CFBundle reads a
// tool's Info.plist.
__attribute__((section("__info_plist"), used)) static const char kInfoPlist[] =
    R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0">
<dict>
	<key>CFBundleDevelopmentRegion</key>
	<string>English</string>
	<key>CFBundleIdentifier</key>
	<string>com.quillfen.MoxicamInstallHelper</string>
	<key>CFBundleInfoDictionaryVersion</key>
	<string>6.0</string>
	<key>CFBundleName</key>
	<string>MoxicamInstallHelper</string>
	<key>CFBundleDisplayName</key>
	<string>Moxicam PlugIn Install Helper</string>
	<key>CFBundleVersion</key>
	<string>1.0</string>
</dict>
</plist>
)";

#pragma once
// The shader texts built into the application, in place of the bundle's resources: a name and
// extension are looked up in the built-in table and the stored text decoded.
#include "NSOGLShaderSourceCode.h"

class NSOGLImageFilterShaderSourceCode : public NSOGLShaderSourceCode {
  OBJC_CLASS_DECL(NSOGLImageFilterShaderSourceCode, NSOGLShaderSourceCode)

 public:
  struct Meta : NSOGLShaderSourceCode::Meta {
    NSString* sourceCodeFromResource_extension(Class cls, NSString* name, NSString* extension) const override;
  };

  // The text of a file of the table ("NAME.fs"); the empty string, with a log line, for a name
  // the table lacks or a text that cannot be read.
  static NSString* stringDataForShaderFileName(NSString* fileName);

 protected:
  NSOGLImageFilterShaderSourceCode() = default;
};

#pragma once
// For the .cpp files of the bridged classes: the class object of a class that is a view of a
// CoreFoundation type. It has a name and a superclass but no factory, since its objects are
// only ever made as CF objects.
#include <Foundation/NSObject.h>

#define NS_VIEW_CLASS_DEFINE(Name, Super)                                   \
  Class Name::class_() {                                                    \
    static const objc_class cls{#Name, Super::class_(), nullptr};           \
    return &cls;                                                            \
  }                                                                         \
  [[maybe_unused]] static const Class objc_view_class_registration_##Name = \
      objc_registerClass(Name::class_());

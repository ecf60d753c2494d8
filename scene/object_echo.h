#pragma once

#include <string_view>

#include "scene/console_echo.h"
#include "scene/object_format.h"

// The console line that shows how an object was read: every number as "%g" prints it and a
// shape's texture token as it stands. numbers holds the object's numbers in file order.
void echoObject(ConsoleEcho& echo, ObjectKind kind, const float* numbers, std::string_view texture);

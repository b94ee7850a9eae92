#pragma once
// Our stand-in for the utility library's vertex shader assembler. The
// software device runs vertex programs written in C++, so "assembling" a
// text means recognising it: every text the engine generates from shader
// flags (the four fragments joined in order) and the scene manager's
// built-in text map to a program that computes what the text says. Any
// other text is refused with an error, as a failed assembly is.
#include <string>

#include "engine/core/types.h"
#include "engine/graphics/vertex_shader.h"

// The scene manager's built-in shader text.
extern const char* const kSceneShaderText;

// Assembles `length` bytes of `text`. On success fills `out` and returns true;
// otherwise returns false and, when `error` is given, says why.
bool AssembleShader(const char* text, u32 length, AssembledShader* out, std::string* error);

// The flags a generated text stands for; false for the built-in text and for
// text the assembler does not know.
bool DecodeShaderText(const std::string& text, ShaderFlags* out);

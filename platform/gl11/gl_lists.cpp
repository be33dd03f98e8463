// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's display lists: every call GL compiles into a list is recorded as the call itself with
// its arguments (client data such as pixels and array elements copied as they are at compile time) and
// replayed by calling it again. Calls GL does not compile (queries, client state, names, glFinish) run at once.
#include "platform/gl11/gl_names.h"
#include "platform/gl11/gl_state.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <vector>

namespace {

struct List {
    std::vector<std::function<void()>> commands;
};

// Never destroyed: a program may delete its lists from its own static destructors, after this file's.
std::map<GLuint, List>& lists = *new std::map<GLuint, List>;
constexpr GLsizei maxListRange = 1 << 20;
GLuint compiling = 0;
GLuint highestName = 0;   // the highest list name ever made, for glFreeNames
GLenum compileMode = 0;
bool compilingPrimitive = false;   // a glBegin was compiled into the list and its glEnd not yet
size_t primitiveStart = 0;          // where that glBegin is in the list
std::vector<size_t> raisedInPrimitive;   // errors of it raised already, under GL_COMPILE_AND_EXECUTE
List pending;
int replayDepth = 0;
GLuint listBase = 0;
const int maxNesting = 64;

bool recording()
{
    return compiling != 0 && replayDepth == 0;
}

void replay(GLuint name)
{
    if (replayDepth >= maxNesting)
        return;
    auto it = lists.find(name);
    if (it == lists.end())
        return;
    ++replayDepth;
    // A list may call glNewList's target or delete lists while it runs; play a copy.
    const List list = it->second;
    for (const auto& command : list.commands)
        command();
    --replayDepth;
}

}  // namespace

bool glListRecord(GlListCall kind, std::function<void()> call)
{
    if (!recording())
        return false;
    const bool execute = compileMode == GL_COMPILE_AND_EXECUTE;
    if (kind == GlListCall::begin && compilingPrimitive)
        kind = GlListCall::outside;   // a second glBegin: an error
    if (kind == GlListCall::outside && compilingPrimitive) {
        // Compiled between glBegin and glEnd: the list holds the error instead of the call.
        pending.commands.push_back([] { glStateError(GL_INVALID_OPERATION); });
        if (execute) {
            glStateError(GL_INVALID_OPERATION);
            raisedInPrimitive.push_back(pending.commands.size() - 1);   // not again when the primitive runs
        }
        return true;
    }
    pending.commands.push_back(std::move(call));
    if (kind == GlListCall::begin) {
        compilingPrimitive = true;
        raisedInPrimitive.clear();
        primitiveStart = pending.commands.size() - 1;
        return true;
    }
    if (kind == GlListCall::end && compilingPrimitive) {
        // Under GL_COMPILE_AND_EXECUTE a primitive runs whole once its glEnd is compiled, as in Mesa: until
        // then nothing of it has run, and calls outside it still answer as outside glBegin/glEnd.
        compilingPrimitive = false;
        if (execute) {
            std::vector<std::function<void()>> primitive;
            for (size_t i = primitiveStart; i < pending.commands.size(); ++i)
                if (std::find(raisedInPrimitive.begin(), raisedInPrimitive.end(), i) == raisedInPrimitive.end())
                    primitive.push_back(pending.commands[i]);
            ++replayDepth;
            for (const auto& command : primitive)
                command();
            --replayDepth;
        }
        raisedInPrimitive.clear();
        return true;
    }
    if (compilingPrimitive)
        return true;   // a vertex or attribute of the primitive: it runs with the primitive
    return !execute;
}

bool glListRecordError(GLenum error)
{
    if (!recording())
        return false;
    pending.commands.push_back([error] { glStateError(error); });
    if (compileMode == GL_COMPILE_AND_EXECUTE)
        glStateError(error);
    return true;
}

bool glListCompiling()
{
    return recording();
}

GLuint glGenLists(GLsizei range)
{
    if (glRefusedInsideBegin())
        return 0;
    if (range < 0) {
        glStateError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0)
        return 0;
    // Every reserved name costs an entry: a range beyond any real program's is refused as a driver out of
    // memory refuses it, rather than allocating without bound.
    if (range > maxListRange) {
        glStateError(GL_OUT_OF_MEMORY);
        return 0;
    }
    const std::uint64_t first = glFreeNames(lists, highestName, range);
    if (first == 0)
        return 0;   // the name space is spent
    for (std::uint64_t n = first; n < first + static_cast<std::uint64_t>(range); ++n)
        lists[static_cast<GLuint>(n)];
    return static_cast<GLuint>(first);
}

void glDeleteLists(GLuint first, GLsizei range)
{
    if (glRefusedInsideBegin())
        return;
    if (range < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    // Only the names in use are visited, so a huge range costs no more than the lists there are.
    const std::uint64_t end = static_cast<std::uint64_t>(first) + static_cast<std::uint64_t>(range);
    const auto last = end > 0xffffffffu ? lists.end() : lists.lower_bound(static_cast<GLuint>(end));
    lists.erase(lists.lower_bound(first), last);
}

GLboolean glIsList(GLuint name)
{
    if (glRefusedInsideBegin())
        return GL_FALSE;
    return lists.count(name) ? GL_TRUE : GL_FALSE;
}

void glNewList(GLuint name, GLenum mode)
{
    // A glNewList while a list is being compiled is refused before its arguments are looked at, as in Mesa.
    if (compiling != 0 && replayDepth == 0) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    if (glRefusedInsideBegin())
        return;
    if (name == 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (mode != GL_COMPILE && mode != GL_COMPILE_AND_EXECUTE) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (compiling != 0) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    compiling = name;
    compileMode = mode;
    compilingPrimitive = false;
    pending = List();
}

void glEndList()
{
    if (glRefusedInsideBegin())
        return;
    if (compiling == 0) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    lists[compiling] = pending;
    highestName = std::max(highestName, compiling);
    pending = List();
    compiling = 0;
}

void glCallList(GLuint name)
{
    // Mesa refuses list 0 when it is called, not when a list calls it.
    if (glListRecord(GlListCall::inside, [name] { replay(name); }))
        return;
    if (name == 0) {
        glStateError(GL_INVALID_VALUE);   // as Mesa answers it
        return;
    }
    replay(name);
}

void glListBase(GLuint base)
{
    if (glListRecord(GlListCall::outside, [base] { glListBase(base); }))
        return;
    if (glRefusedInsideBegin())
        return;
    listBase = base;
}

GLuint glListBaseNow()
{
    return listBase;
}

GLuint glListCompilingName()
{
    return compiling;
}

GLenum glListCompilingMode()
{
    return compiling ? compileMode : 0;
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* names)
{
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    int bytes = 0;
    switch (type) {
    case GL_UNSIGNED_BYTE: case GL_BYTE: bytes = 1; break;
    case GL_UNSIGNED_SHORT: case GL_SHORT: case GL_2_BYTES: bytes = 2; break;
    case GL_3_BYTES: bytes = 3; break;
    case GL_UNSIGNED_INT: case GL_INT: case GL_FLOAT: case GL_4_BYTES: bytes = 4; break;
    default:
        // Compiled, the bad type is an error of the list's, raised when it runs (as Mesa does).
        if (!glListRecordError(GL_INVALID_ENUM))
            glStateError(GL_INVALID_ENUM);
        return;
    }
    if (!names)
        return;
    const unsigned char* at = static_cast<const unsigned char*>(names);
    auto nameAt = [at, bytes, type](GLsizei i) -> GLuint {
        const unsigned char* p = at + static_cast<size_t>(i) * static_cast<size_t>(bytes);
        switch (type) {
        case GL_UNSIGNED_BYTE: return p[0];
        case GL_BYTE: return static_cast<GLuint>(static_cast<int>(static_cast<GLbyte>(p[0])));
        case GL_UNSIGNED_SHORT: return *reinterpret_cast<const GLushort*>(p);
        case GL_SHORT: return static_cast<GLuint>(static_cast<int>(*reinterpret_cast<const GLshort*>(p)));
        case GL_UNSIGNED_INT: return *reinterpret_cast<const GLuint*>(p);
        case GL_INT: return static_cast<GLuint>(*reinterpret_cast<const GLint*>(p));
        case GL_FLOAT: {
            const float f = *reinterpret_cast<const GLfloat*>(p);
            return f > -2147483648.0f && f < 2147483648.0f ? static_cast<GLuint>(static_cast<GLint>(f)) : 0;
        }
        // Big-endian byte groups, as GL defines them.
        case GL_2_BYTES: return p[0] * 256u + p[1];
        case GL_3_BYTES: return (p[0] * 256u + p[1]) * 256u + p[2];
        default: return ((p[0] * 256u + p[1]) * 256u + p[2]) * 256u + p[3];
        }
    };
    if (glListCompiling()) {
        // A compiled glCallLists keeps the names and takes the list base when it runs.
        std::vector<GLuint> offsets(static_cast<size_t>(n));
        for (GLsizei i = 0; i < n; ++i)
            offsets[static_cast<size_t>(i)] = nameAt(i);
        if (glListRecord(GlListCall::inside, [offsets] {
                for (GLuint name : offsets)
                    replay(listBase + name);
            }))
            return;
    }
    for (GLsizei i = 0; i < n; ++i)
        replay(listBase + nameAt(i));
}

void glListsReset()
{
    lists.clear();
    highestName = 0;
    compiling = 0;
    compilingPrimitive = false;
    pending = List();
    replayDepth = 0;
    listBase = 0;
}

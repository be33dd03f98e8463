// The OpenGL 1.1 layer's display lists: the calls a list may hold are recorded with their arguments and
// replayed by calling them again. Lists hold primitives, vertices, colours, texture coordinates, matrix calls,
// capabilities, texture binds, blending, shading, depth function, clears and list calls; any other call runs at
// once even while a list is being compiled.
#include "platform/gl11/gl_state.h"

#include <map>
#include <vector>

namespace {

struct Command {
    GlListOp op;
    GLenum e;
    float a, b, c, d;
    int matrix;   // index into List::matrices, or -1
};

struct List {
    std::vector<Command> commands;
    std::vector<float> matrices;
};

// Never destroyed: a program may delete its lists from its own static destructors, after this file's.
std::map<GLuint, List>& lists = *new std::map<GLuint, List>;
GLuint compiling = 0;
bool executeWhileCompiling = false;
List pending;
int replayDepth = 0;
GLuint listBase = 0;
const int maxNesting = 64;

bool recording()
{
    return compiling != 0 && replayDepth == 0;
}

void replay(GLuint name);

void run(const List& list, const Command& cmd)
{
    switch (cmd.op) {
    case GlListOp::begin: glBegin(cmd.e); break;
    case GlListOp::end: glEnd(); break;
    case GlListOp::vertex: glVertex4f(cmd.a, cmd.b, cmd.c, cmd.d); break;
    case GlListOp::texCoord: glTexCoord2f(cmd.a, cmd.b); break;
    case GlListOp::color: glColor4f(cmd.a, cmd.b, cmd.c, cmd.d); break;
    case GlListOp::translate: glTranslatef(cmd.a, cmd.b, cmd.c); break;
    case GlListOp::rotate: glRotatef(cmd.a, cmd.b, cmd.c, cmd.d); break;
    case GlListOp::scale: glScalef(cmd.a, cmd.b, cmd.c); break;
    case GlListOp::pushMatrix: glPushMatrix(); break;
    case GlListOp::popMatrix: glPopMatrix(); break;
    case GlListOp::loadIdentity: glLoadIdentity(); break;
    case GlListOp::matrixMode: glMatrixMode(cmd.e); break;
    case GlListOp::multMatrix: glMultMatrixf(&list.matrices[cmd.matrix]); break;
    case GlListOp::loadMatrix: glLoadMatrixf(&list.matrices[cmd.matrix]); break;
    case GlListOp::enable: glEnable(cmd.e); break;
    case GlListOp::disable: glDisable(cmd.e); break;
    case GlListOp::bindTexture: glBindTexture(cmd.e, static_cast<GLuint>(cmd.a)); break;
    case GlListOp::blendFunc: glBlendFunc(cmd.e, static_cast<GLenum>(cmd.a)); break;
    case GlListOp::shadeModel: glShadeModel(cmd.e); break;
    case GlListOp::depthFunc: glDepthFunc(cmd.e); break;
    case GlListOp::callList: replay(cmd.e); break;
    case GlListOp::callListWithBase: replay(listBase + cmd.e); break;
    case GlListOp::listBase: listBase = cmd.e; break;
    case GlListOp::clear: glClear(cmd.e); break;
    }
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
    for (const Command& cmd : list.commands)
        run(list, cmd);
    --replayDepth;
}

}  // namespace

bool glListCapture(GlListOp op, GLenum e, float a, float b, float c, float d)
{
    if (!recording())
        return false;
    pending.commands.push_back({op, e, a, b, c, d, -1});
    return !executeWhileCompiling;
}

bool glListCaptureMatrix(GlListOp op, const float* m)
{
    if (!recording())
        return false;
    const int at = static_cast<int>(pending.matrices.size());
    pending.matrices.insert(pending.matrices.end(), m, m + 16);
    pending.commands.push_back({op, 0, 0, 0, 0, 0, at});
    return !executeWhileCompiling;
}

GLuint glGenLists(GLsizei range)
{
    if (range < 0) {
        glStateError(GL_INVALID_VALUE);
        return 0;
    }
    if (range == 0)
        return 0;
    // The first run of free names long enough; names already in use stay as they are.
    GLuint first = 1;
    for (;;) {
        GLuint clash = 0;
        for (GLuint n = first; n < first + static_cast<GLuint>(range); ++n)
            if (lists.count(n)) {
                clash = n;
                break;
            }
        if (!clash)
            break;
        first = clash + 1;
        if (first + static_cast<GLuint>(range) < first)
            return 0;   // the name space is spent
    }
    for (GLuint n = first; n < first + static_cast<GLuint>(range); ++n)
        lists[n];
    return first;
}

void glDeleteLists(GLuint first, GLsizei range)
{
    if (range < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < range; ++i)
        lists.erase(first + static_cast<GLuint>(i));
}

GLboolean glIsList(GLuint name)
{
    return lists.count(name) ? GL_TRUE : GL_FALSE;
}

void glNewList(GLuint name, GLenum mode)
{
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
    executeWhileCompiling = mode == GL_COMPILE_AND_EXECUTE;
    pending = List();
}

void glEndList()
{
    if (compiling == 0) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    lists[compiling] = pending;
    pending = List();
    compiling = 0;
}

void glCallList(GLuint name)
{
    if (glListCapture(GlListOp::callList, name))
        return;
    replay(name);
}

void glListBase(GLuint base)
{
    if (glListCapture(GlListOp::listBase, base))
        return;
    listBase = base;
}

void glCallLists(GLsizei n, GLenum type, const GLvoid* names)
{
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (!names)
        return;
    for (GLsizei i = 0; i < n; ++i) {
        GLuint name;
        switch (type) {
        case GL_UNSIGNED_BYTE: name = static_cast<const GLubyte*>(names)[i]; break;
        case GL_BYTE: name = static_cast<GLuint>(static_cast<const GLbyte*>(names)[i]); break;
        case GL_UNSIGNED_SHORT: name = static_cast<const GLushort*>(names)[i]; break;
        case GL_SHORT: name = static_cast<GLuint>(static_cast<const GLshort*>(names)[i]); break;
        case GL_UNSIGNED_INT: name = static_cast<const GLuint*>(names)[i]; break;
        case GL_INT: name = static_cast<GLuint>(static_cast<const GLint*>(names)[i]); break;
        case GL_FLOAT: name = static_cast<GLuint>(static_cast<const GLfloat*>(names)[i]); break;
        default: glStateError(GL_INVALID_ENUM); return;
        }
        if (glListCapture(GlListOp::callListWithBase, name))
            continue;
        replay(listBase + name);
    }
}

void glListsReset()
{
    lists.clear();
    compiling = 0;
    pending = List();
    replayDepth = 0;
    listBase = 0;
}

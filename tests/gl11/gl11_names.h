// SPDX-License-Identifier: MIT
// For code written with the plain GL 1.1 names (the GL cases): included before anything else (-include), it
// turns every call into a call through gl11, the table of the side being drawn, and gluPerspective into the
// same matrix built here (libGLU would call the layer's names whatever side is current).
#pragma once

#include "tests/gl11/gl11_table.h"

#include <GL/glu.h>

#include <cmath>

// libGLU's gluPerspective: the same matrix, multiplied onto the current one.
inline void gl11Perspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double radians = fovy / 2 * 3.14159265358979323846 / 180;
    const double deltaZ = zFar - zNear;
    const double sine = std::sin(radians);
    if (deltaZ == 0 || sine == 0 || aspect == 0)
        return;
    const double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0, 0, 0, -(zFar + zNear) / deltaZ, -1,
                      0, 0, -2 * zNear * zFar / deltaZ, 0};
    gl11->MultMatrixd(m);
}

#define gluPerspective gl11Perspective
#define glBegin gl11->Begin
#define glBindTexture gl11->BindTexture
#define glBlendFunc gl11->BlendFunc
#define glCallList gl11->CallList
#define glCallLists gl11->CallLists
#define glClear gl11->Clear
#define glClearColor gl11->ClearColor
#define glClearDepth gl11->ClearDepth
#define glColor3d gl11->Color3d
#define glColor3f gl11->Color3f
#define glColor3fv gl11->Color3fv
#define glColor3ub gl11->Color3ub
#define glColor4d gl11->Color4d
#define glColor4f gl11->Color4f
#define glColor4fv gl11->Color4fv
#define glColor4ub gl11->Color4ub
#define glColorPointer gl11->ColorPointer
#define glCullFace gl11->CullFace
#define glDeleteLists gl11->DeleteLists
#define glDeleteTextures gl11->DeleteTextures
#define glDepthFunc gl11->DepthFunc
#define glDisable gl11->Disable
#define glDisableClientState gl11->DisableClientState
#define glDrawArrays gl11->DrawArrays
#define glDrawElements gl11->DrawElements
#define glDrawPixels gl11->DrawPixels
#define glEnable gl11->Enable
#define glEnableClientState gl11->EnableClientState
#define glEnd gl11->End
#define glEndList gl11->EndList
#define glFinish gl11->Finish
#define glFlush gl11->Flush
#define glFrontFace gl11->FrontFace
#define glFrustum gl11->Frustum
#define glGenLists gl11->GenLists
#define glGenTextures gl11->GenTextures
#define glGetBooleanv gl11->GetBooleanv
#define glGetDoublev gl11->GetDoublev
#define glGetError gl11->GetError
#define glGetFloatv gl11->GetFloatv
#define glGetIntegerv gl11->GetIntegerv
#define glHint gl11->Hint
#define glIsEnabled gl11->IsEnabled
#define glIsList gl11->IsList
#define glIsTexture gl11->IsTexture
#define glListBase gl11->ListBase
#define glLoadIdentity gl11->LoadIdentity
#define glLoadMatrixd gl11->LoadMatrixd
#define glLoadMatrixf gl11->LoadMatrixf
#define glMatrixMode gl11->MatrixMode
#define glMultMatrixd gl11->MultMatrixd
#define glMultMatrixf gl11->MultMatrixf
#define glNewList gl11->NewList
#define glNormal3f gl11->Normal3f
#define glNormalPointer gl11->NormalPointer
#define glOrtho gl11->Ortho
#define glPixelStoref gl11->PixelStoref
#define glPixelStorei gl11->PixelStorei
#define glPolygonOffset gl11->PolygonOffset
#define glPopMatrix gl11->PopMatrix
#define glPushMatrix gl11->PushMatrix
#define glRasterPos2d gl11->RasterPos2d
#define glRasterPos2f gl11->RasterPos2f
#define glRasterPos2i gl11->RasterPos2i
#define glRasterPos3f gl11->RasterPos3f
#define glRasterPos4f gl11->RasterPos4f
#define glReadPixels gl11->ReadPixels
#define glRotated gl11->Rotated
#define glRotatef gl11->Rotatef
#define glScaled gl11->Scaled
#define glScalef gl11->Scalef
#define glShadeModel gl11->ShadeModel
#define glTexCoord2d gl11->TexCoord2d
#define glTexCoord2f gl11->TexCoord2f
#define glTexCoord2fv gl11->TexCoord2fv
#define glTexCoord2i gl11->TexCoord2i
#define glTexCoordPointer gl11->TexCoordPointer
#define glTexImage2D gl11->TexImage2D
#define glTexParameterf gl11->TexParameterf
#define glTexParameteri gl11->TexParameteri
#define glTexSubImage2D gl11->TexSubImage2D
#define glTranslated gl11->Translated
#define glTranslatef gl11->Translatef
#define glVertex2d gl11->Vertex2d
#define glVertex2f gl11->Vertex2f
#define glVertex2fv gl11->Vertex2fv
#define glVertex2i gl11->Vertex2i
#define glVertex3d gl11->Vertex3d
#define glVertex3f gl11->Vertex3f
#define glVertex3fv gl11->Vertex3fv
#define glVertex3i gl11->Vertex3i
#define glVertex4f gl11->Vertex4f
#define glVertexPointer gl11->VertexPointer
#define glViewport gl11->Viewport

// One frame: animate, place the observer camera, draw the clipped mesh, the simulated camera's
// frustum outline, swap.
#include "anim/anim.h"
#include "app/app.h"
#include "clip/clip.h"
#include "math/vecmath.h"
#include "model/model.h"

#ifdef __APPLE__
#include <GLUT/glut.h>  // Apple's GLUT framework
#else
#include <GL/glut.h>
#endif

namespace {

// The clipped mesh: mapped back into eye space in the world view; in the clip-space view left in
// clip space and mirrored in z, so that after OpenGL's division by w what lies near the simulated
// camera shows on the observer's side of the cube, as in the world view.
void drawMeshPass()
{
    const MeshArrays& mesh = meshArrays;
    if (viewState.clipSpaceView) {
        glPushMatrix();
        glScalef(1, 1, -1);
        drawMesh(mesh.sceneVertices, mesh.sceneNormals, mesh.colors, mesh.triangleCount, 0);
        glPopMatrix();
    } else {
        drawMesh(mesh.sceneVertices, mesh.sceneNormals, mesh.colors, mesh.triangleCount, 1);
    }
}

} // namespace

void onDisplay()
{
    // The motion advances one step per frame while animate is on; the scene arrays are rebuilt
    // every frame.
    stepAnimation(viewState.animate);

    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    gluLookAt(0, 0, 8, 0, 0, 0, 0, 1, 0);
    // The scene turns about its y axis first, then about x, then is viewed.
    glRotatef(viewState.orbitAngleX, 1, 0, 0);
    glRotatef(viewState.orbitAngleY, 0, 1, 0);
    if (!viewState.clipSpaceView) drawAxes();

    drawMeshPass();

    // In the clip-space view the outline goes through the same projection as the mesh, so the
    // frustum shows as the cube from -1 to 1. Not pushed: the next frame starts from identity.
    if (viewState.clipSpaceView) {
        glFrustum(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                  frustum.far);
    }
    glColor3f(0, 1, 0);
    drawFrustumOutline(frustum.left, frustum.right, frustum.bottom, frustum.top, frustum.near,
                       frustum.far);
    glutSwapBuffers();
}

void drawAxes()
{
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(1, 0, 0);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 1, 0);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0);
    glVertex3f(0, 0, 1);
    glEnd();
    glPopMatrix();
    glPopAttrib();
}

void drawFrustumOutline(float left, float right, float bottom, float top, float near, float far)
{
    glPushAttrib(GL_LIGHTING_BIT);
    glDisable(GL_LIGHTING);
    // The far face is the near face scaled by far / near.
    const float k = far / near;
    const float fl = left * k, fr = right * k, fb = bottom * k, ft = top * k;

    glBegin(GL_LINE_LOOP);
    glVertex3f(right, top, -near);
    glVertex3f(left, top, -near);
    glVertex3f(left, bottom, -near);
    glVertex3f(right, bottom, -near);
    glEnd();

    glBegin(GL_LINE_LOOP);
    glVertex3f(fr, ft, -far);
    glVertex3f(fl, ft, -far);
    glVertex3f(fl, fb, -far);
    glVertex3f(fr, fb, -far);
    glEnd();

    glBegin(GL_LINES);
    glVertex3f(right, top, -near);
    glVertex3f(fr, ft, -far);
    glVertex3f(left, top, -near);
    glVertex3f(fl, ft, -far);
    glVertex3f(left, bottom, -near);
    glVertex3f(fl, fb, -far);
    glVertex3f(right, bottom, -near);
    glVertex3f(fr, fb, -far);
    glEnd();

    glPopAttrib();
}

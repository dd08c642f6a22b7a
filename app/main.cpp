// clipdemo: polygon clipping in homogeneous coordinates, shown live.
//
// Keys: Escape quits, Space switches between the world view and the clip-space view, backslash
// stops and resumes the animation. Drag with the left mouse button to orbit the observer camera.
#include "app/app.h"
#include "model/model.h"

#ifdef __APPLE__
#include <GLUT/glut.h>  // Apple's GLUT framework
#else
#include <GL/glut.h>
#endif

#include <cstddef>

int main(int argc, char** argv)
{
    // freeglut wants glutInit before any other GLUT call; the arguments are otherwise unused.
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(256, 256);
    glutInitWindowPosition(180, 100);
    glutCreateWindow("Polygon Clipping In Homogeneous Coordinates");

    // The fixed OpenGL state; nothing else is ever set, so OpenGL's defaults hold for the rest
    // (black background, GL_LIGHT0's default light).
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_DEPTH_TEST);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, 1);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_NORMALIZE);

    glutDisplayFunc(onDisplay);
    glutReshapeFunc(onReshape);
    glutIdleFunc(onIdle);
    glutMouseFunc(onMouse);
    glutMotionFunc(onMotion);
    glutKeyboardFunc(onKeyboard);

    // The mesh set-up: read the mesh, flatten it into the mesh arrays, drop the TriObj, and make
    // room for the per-frame scene arrays (written by the first animation step). A file that
    // cannot be opened, read or used ends the process here, before any frame.
    TriObj* object = new TriObj("teapot.tri", 255, 128, 128);
    buildMeshArrays(*object, &meshArrays.modelVertices, &meshArrays.triangleCount,
                    &meshArrays.modelNormals, &meshArrays.colors);
    delete object;
    meshArrays.sceneVertices = new Vector4[3 * std::size_t(meshArrays.triangleCount)];
    meshArrays.sceneNormals = new Vector3[std::size_t(meshArrays.triangleCount)];

    glutMainLoop();
    return 0;
}

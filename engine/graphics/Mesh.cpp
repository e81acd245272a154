#include "engine/graphics/Mesh.h"

#include <GL/glew.h>

namespace QRX {

namespace {

void DeleteBuffer(unsigned int& name)
{
    if (name != 0 && glDeleteBuffers) glDeleteBuffers(1, &name);
    name = 0;
}

} // namespace

void Mesh::Release()
{
    DeleteBuffer(indexBuffer);
    DeleteBuffer(vertexBuffer);
    DeleteBuffer(weightBuffer);
    DeleteBuffer(jointIndexBuffer);
    skeleton = Skeleton();
    id.clear();
    indexCount = 0;
    animated = false;
}

} // namespace QRX

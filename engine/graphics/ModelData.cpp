#include "engine/graphics/ModelData.h"

namespace QRX {

glm::mat4 QuaternionMatrix(float x, float y, float z, float w)
{
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(1.0f - 2.0f * (y * y + z * z), 2.0f * (x * y + w * z), 2.0f * (x * z - w * y), 0.0f);
    m[1] = glm::vec4(2.0f * (x * y - w * z), 1.0f - 2.0f * (x * x + z * z), 2.0f * (y * z + w * x), 0.0f);
    m[2] = glm::vec4(2.0f * (x * z + w * y), 2.0f * (y * z - w * x), 1.0f - 2.0f * (x * x + y * y), 0.0f);
    return m;
}

glm::mat4 BindMatrix(const float translation[3], const float rotation[4])
{
    glm::mat4 m = QuaternionMatrix(rotation[0], rotation[1], rotation[2], rotation[3]);
    m[3] = glm::vec4(translation[0], translation[1], translation[2], 1.0f);
    return m;
}

} // namespace QRX

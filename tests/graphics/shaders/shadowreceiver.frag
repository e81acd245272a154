#version 120
// Grey by the fraction of the kernel the light reaches; outside the map lit.
uniform sampler2D shadowMap;
uniform int enableShadows;
uniform float depthBias;
uniform int SAMPLECOUNTX;
uniform int SAMPLECOUNTY;
uniform float filterX;
uniform float filterY;
uniform int shadowMapWidth;
uniform int shadowMapHeight;
varying vec4 vShadowCoord;
const int MAX_SAMPLES = 20;
void main()
{
    float shadow = 1.0;
    vec3 coord = vShadowCoord.xyz / vShadowCoord.w;
    if (enableShadows == 1 && coord.x >= 0.0 && coord.x <= 1.0 && coord.y >= 0.0 && coord.y <= 1.0 && coord.z <= 1.0) {
        vec2 spacing = vec2(filterX / float(shadowMapWidth), filterY / float(shadowMapHeight));
        float lit = 0.0;
        for (int i = 0; i < MAX_SAMPLES; ++i) {
            if (i >= SAMPLECOUNTX) break;
            for (int j = 0; j < MAX_SAMPLES; ++j) {
                if (j >= SAMPLECOUNTY) break;
                vec2 offset = vec2(float(i) - 0.5 * float(SAMPLECOUNTX - 1), float(j) - 0.5 * float(SAMPLECOUNTY - 1)) * spacing;
                lit += (coord.z - depthBias > texture2D(shadowMap, coord.xy + offset).r) ? 0.0 : 1.0;
            }
        }
        shadow = lit / float(SAMPLECOUNTX * SAMPLECOUNTY);
    }
    gl_FragColor = vec4(vec3(0.2 + 0.6 * shadow), 1.0);
}

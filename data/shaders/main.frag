#version 120
// Lighting of the main pass. The scene light is POINT 0, SPOT 1,
// DIRECTIONAL 2 or OFF 3 (ambient and emissive light only); LON 0 leaves the
// fragment unlit (the sky shows its texture as it is). isB boosts the texture's own colour (glowing parts),
// wireFrame replaces everything by wireFrameColor (debug overlays), and the
// alpha is the texture's times the object's opacity.
uniform sampler2D diffuseTexture;

uniform vec4 global_ambientColor;
uniform vec4 diffuse;
uniform vec4 emissive;
uniform vec4 specular;
uniform vec3 lightPosView;
uniform vec3 lightDirView;
uniform vec3 attCoef;
uniform float innerAngle;
uniform float outerAngle;
uniform float Falloff;
uniform float nearPlaneDis;
uniform float farPlaneDis;
uniform int lightType;
uniform int LON;

uniform float opacity;
uniform int wireFrame;
uniform vec4 wireFrameColor;
uniform int isB;

uniform sampler2D shadowMap;
uniform int enableShadows;
uniform float depthBias;
uniform int SAMPLECOUNTX;
uniform int SAMPLECOUNTY;
uniform float filterX;
uniform float filterY;
uniform int shadowMapWidth;
uniform int shadowMapHeight;

varying vec3 vPositionView;
varying vec3 vNormalView;
varying vec2 vTexcoord;
varying vec4 vShadowCoord;

const int POINT = 0;
const int SPOT = 1;
const int DIRECTIONAL = 2;
const int OFF = 3;
const int MAX_SAMPLES = 20;
const float BOOST = 0.6;

// Fraction of the kernel around the fragment that the light reaches.
float ShadowFactor()
{
    if (enableShadows != 1 || vShadowCoord.w <= 0.0) return 1.0;
    vec3 coord = vShadowCoord.xyz / vShadowCoord.w;
    if (coord.x < 0.0 || coord.x > 1.0 || coord.y < 0.0 || coord.y > 1.0 || coord.z > 1.0) return 1.0;

    vec2 texel = vec2(1.0 / max(float(shadowMapWidth), 1.0), 1.0 / max(float(shadowMapHeight), 1.0));
    vec2 spacing = vec2(filterX, filterY) * texel;
    int countX = int(clamp(float(SAMPLECOUNTX), 1.0, float(MAX_SAMPLES)));
    int countY = int(clamp(float(SAMPLECOUNTY), 1.0, float(MAX_SAMPLES)));
    float lit = 0.0;
    for (int i = 0; i < MAX_SAMPLES; ++i) {
        if (i >= countX) break;
        for (int j = 0; j < MAX_SAMPLES; ++j) {
            if (j >= countY) break;
            vec2 offset = vec2(float(i) - 0.5 * float(countX - 1), float(j) - 0.5 * float(countY - 1)) * spacing;
            float depth = texture2D(shadowMap, coord.xy + offset).r;
            lit += (coord.z - depthBias > depth) ? 0.0 : 1.0;
        }
    }
    return lit / float(countX * countY);
}

void main()
{
    if (wireFrame == 1) {
        gl_FragColor = wireFrameColor;
        return;
    }

    vec4 texColour = texture2D(diffuseTexture, vTexcoord);
    vec3 colour = texColour.rgb;

    if (LON != 0) {
        vec3 n = normalize(vNormalView);
        vec3 toLight;
        float attenuation = 1.0;
        if (lightType == DIRECTIONAL) {
            toLight = normalize(lightDirView);
        } else {
            vec3 d = lightPosView - vPositionView;
            float distance = length(d);
            toLight = d / max(distance, 0.0001);
            attenuation = 1.0 / max(attCoef.x + attCoef.y * distance + attCoef.z * distance * distance, 0.0001);
            if (lightType == SPOT) {
                float angle = acos(clamp(dot(-toLight, normalize(lightDirView)), -1.0, 1.0));
                float cone = clamp((outerAngle - angle) / max(outerAngle - innerAngle, 0.0001), 0.0, 1.0);
                attenuation *= pow(cone, Falloff);
            }
        }
        // Nothing beyond the far plane distance, full light before the near one.
        float depth = length(vPositionView);
        attenuation *= clamp((farPlaneDis - depth) / max(farPlaneDis - nearPlaneDis, 0.0001), 0.0, 1.0);

        float lambert = lightType == OFF ? 0.0 : max(dot(n, toLight), 0.0);
        vec3 halfway = normalize(toLight + normalize(-vPositionView));
        float shininess = 8.0 + 120.0 * specular.a;
        float highlight = lambert > 0.0 ? pow(max(dot(n, halfway), 0.0), shininess) : 0.0;
        float shadow = ShadowFactor();

        vec3 lit = global_ambientColor.rgb * texColour.rgb
                 + shadow * attenuation * (diffuse.rgb * lambert * texColour.rgb + specular.rgb * highlight)
                 + emissive.rgb;
        colour = lit;
    }

    if (isB == 1) colour += texColour.rgb * BOOST;
    gl_FragColor = vec4(colour, texColour.a * opacity);
}

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

// The shadow kernel: SAMPLECOUNTX x SAMPLECOUNTY depth taps, filterX and
// filterY texels apart, centred on the fragment; a tap is lit when the
// fragment is no deeper (less the bias) than the nearest texel under it. Taps
// closer than a texel apart fall on the same texels, so the kernel is read
// texel by texel instead: a window of 5 x 4 texels, each fetched once and
// weighted by the number of taps on it. A kernel spanning at most 4 x 3
// texels (the default 9 x 9 taps, 0.5 and 0.3 apart, spans 4 x 2.4) fits the
// window and gives exactly the tap-by-tap result. A wider kernel is gathered
// into 5 x 4 equal cells of the window, each read at its centre.
const vec2 WINDOW = vec2(5.0, 4.0);

// The fraction of the kernel that the light reaches.
float ShadowFactor()
{
    vec3 coord = vShadowCoord.xyz / vShadowCoord.w;
    bool inside = enableShadows == 1 && vShadowCoord.w > 0.0 && coord.x >= 0.0 && coord.x <= 1.0 && coord.y >= 0.0
               && coord.y <= 1.0 && coord.z <= 1.0;

    vec2 mapSize = max(vec2(float(shadowMapWidth), float(shadowMapHeight)), 1.0);
    vec2 count = floor(clamp(vec2(float(SAMPLECOUNTX), float(SAMPLECOUNTY)), 1.0, float(MAX_SAMPLES)));
    // The taps' order does not matter: a negative spacing gives the same set.
    vec2 spacing = abs(vec2(filterX, filterY));
    vec2 span = (count - 1.0) * spacing;
    // Texels per cell: 1 while the kernel fits the window.
    vec2 cell = max(span / (WINDOW - 1.0), 1.0);

    // In cells from the window's first one: where the first tap lies and how
    // far apart the taps are.
    vec2 first = (coord.xy * mapSize - 0.5 * span) / cell;
    vec2 window = floor(first);
    first -= window;
    vec2 apart = max(spacing / cell, 1.0e-6);
    // Taps before each inner cell edge; the cells take the differences.
    vec4 beforeX = clamp(ceil((vec4(1.0, 2.0, 3.0, 4.0) - first.x) / apart.x), 0.0, count.x);
    vec3 beforeY = clamp(ceil((vec3(1.0, 2.0, 3.0) - first.y) / apart.y), 0.0, count.y);
    vec4 tapsX = beforeX - vec4(0.0, beforeX.xyz);
    float tapsLastX = count.x - beforeX.w;
    vec4 tapsY = vec4(beforeY, count.y) - vec4(0.0, beforeY);

    // Cell centres in texture coordinates. The rows are a loop that ends
    // after the last row holding taps, at once where the kernel is not needed
    // (shadows off, outside the light's view): a renderer that runs a block
    // of fragments in step then fetches only the rows some fragment needs.
    vec2 pitch = cell / mapSize;
    vec2 start = (window + 0.5) * pitch;
    int rows = inside ? int(min(floor(first.y + span.y / cell.y), WINDOW.y - 1.0)) + 1 : 0;
    float depth = coord.z - depthBias;
    float lit = 0.0;
    for (int j = 0; j < rows; ++j) {
        float y = start.y + float(j) * pitch.y;
        vec4 row = vec4(texture2D(shadowMap, vec2(start.x, y)).r,
                        texture2D(shadowMap, vec2(start.x + pitch.x, y)).r,
                        texture2D(shadowMap, vec2(start.x + 2.0 * pitch.x, y)).r,
                        texture2D(shadowMap, vec2(start.x + 3.0 * pitch.x, y)).r);
        float last = texture2D(shadowMap, vec2(start.x + 4.0 * pitch.x, y)).r;
        lit += tapsY[j] * (dot(step(depth, row), tapsX) + step(depth, last) * tapsLastX);
    }
    return inside ? lit / (count.x * count.y) : 1.0;
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

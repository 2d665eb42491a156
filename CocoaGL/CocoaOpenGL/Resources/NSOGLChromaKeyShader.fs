// The chroma key: a pixel whose chroma lies near the key colour's becomes transparent. The
// distance is taken between Cb,Cr pairs (BT.601), so the key holds in light and shadow alike;
// the chroma is averaged with the four neighbours to calm sensor noise.
uniform sampler2DRect u_texture0;
// The camera's white point and controls: the key colour is picked from the camera's picture,
// so it is adjusted as the frame was (all zero: not set, the key colour as it is).
uniform vec3 u_cameraWhiteBalance;
uniform vec3 u_cameraControls;
// The pixel size of the source, for its neighbours.
uniform vec2 u_textureUnit0Size;
// Threshold (chroma distance below which the key is full, as a share of half the range),
// sensitivity (the width of the soft edge above it, likewise), alpha floor (a key alpha below
// it is cut to none), and the removal bypass (1.0: the picture passes with its own alpha).
uniform vec4 u_keyControls;
uniform vec3 u_keyColor;
// The white point the keyed picture is balanced to (all zero: not set, no balance).
uniform vec3 u_keyWhiteBalanceOut;

vec2 chroma(vec3 colour) {
  return vec2(dot(colour, vec3(-0.168736, -0.331264, 0.5)), dot(colour, vec3(0.5, -0.418688, -0.081312)));
}

vec3 balance(vec3 colour, vec3 white) {
  if (dot(white, white) == 0.0) return colour;
  return clamp(colour / max(white, vec3(1.0 / 255.0)), 0.0, 1.0);
}

vec3 cameraAdjusted(vec3 colour) {
  colour = balance(colour, u_cameraWhiteBalance);
  vec3 controls = u_cameraControls;
  if (dot(controls, controls) == 0.0) return colour;
  float gain = exp2((controls.x - 0.3) * 4.0);
  float contrast = exp2((controls.z - 0.5) * 4.0);
  return clamp((colour * gain - 0.5) * contrast + 0.5 + (controls.y - 0.5), 0.0, 1.0);
}

vec2 chromaAt(vec2 texel) {
  vec2 high = max(u_textureUnit0Size - 0.5, vec2(0.5));
  return chroma(texture2DRect(u_texture0, clamp(texel, vec2(0.5), high)).rgb);
}

void main() {
  vec2 texel = gl_TexCoord[0].st;
  vec4 source = texture2DRect(u_texture0, texel);
  float alpha = source.a;
  if (u_keyControls.w < 0.5) {
    vec2 near = (chroma(source.rgb) * 4.0 + chromaAt(texel + vec2(1.0, 0.0)) + chromaAt(texel - vec2(1.0, 0.0)) +
                 chromaAt(texel + vec2(0.0, 1.0)) + chromaAt(texel - vec2(0.0, 1.0))) / 8.0;
    float distanceToKey = distance(near, chroma(cameraAdjusted(u_keyColor)));
    float inner = u_keyControls.x * 0.5;
    float key = smoothstep(inner, inner + max(u_keyControls.y * 0.5, 1.0 / 255.0), distanceToKey);
    if (key < u_keyControls.z) key = 0.0;
    alpha *= key;
  }
  gl_FragColor = vec4(balance(source.rgb, u_keyWhiteBalanceOut), alpha);
}

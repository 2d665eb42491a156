// The camera adjustment: the frame balanced to its white point, then exposure, contrast and
// brightness; the coordinates may be swapped and the picture mirrored either way.
uniform sampler2DRect u_texture0;
// The white point the frame is balanced to (all zero: not set, no balance).
uniform vec3 u_cameraWhiteBalance;
// Exposure (0.3 leaves the light as it is, each 0.25 above or below doubles or halves it),
// brightness (0.5 adds nothing) and contrast (0.5 leaves it, each 0.25 doubles or halves it).
uniform vec3 u_cameraControls;
// Swap of the two coordinates, horizontal and vertical mirroring: each on at 1.0.
uniform vec4 u_cameraOptions;
// The pixel size of the texture on unit 0 (zero: not known, coordinates left as they are).
uniform vec2 u_textureUnit0Size;

vec2 cameraTexCoord(vec2 texel) {
  vec2 size = u_textureUnit0Size;
  if (size.x <= 0.0 || size.y <= 0.0) return texel;
  vec2 unit = texel / size;
  if (u_cameraOptions.x > 0.5) unit = unit.yx;
  if (u_cameraOptions.y > 0.5) unit.x = 1.0 - unit.x;
  if (u_cameraOptions.z > 0.5) unit.y = 1.0 - unit.y;
  return unit * size;
}

vec3 balance(vec3 colour, vec3 white) {
  if (dot(white, white) == 0.0) return colour;
  return clamp(colour / max(white, vec3(1.0 / 255.0)), 0.0, 1.0);
}

vec3 adjust(vec3 colour, vec3 controls) {
  float gain = exp2((controls.x - 0.3) * 4.0);
  float contrast = exp2((controls.z - 0.5) * 4.0);
  colour = (colour * gain - 0.5) * contrast + 0.5 + (controls.y - 0.5);
  return clamp(colour, 0.0, 1.0);
}

void main() {
  vec4 source = texture2DRect(u_texture0, cameraTexCoord(gl_TexCoord[0].st));
  gl_FragColor = vec4(adjust(balance(source.rgb, u_cameraWhiteBalance), u_cameraControls), source.a);
}

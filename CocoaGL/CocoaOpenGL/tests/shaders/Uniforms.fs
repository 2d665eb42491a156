// The source mixed with a colour by an amount; the other uniforms are read back by the tests
// and weigh nothing (times a uniform that stays 0).
uniform sampler2DRect image;
uniform vec4 colour;
uniform float amount;
uniform vec3 rgb;
uniform vec2 size;
uniform mat2 m2;
uniform mat3 m3;
uniform mat4 m4;
uniform int count;
uniform float zero;

void main() {
  vec4 picture = texture2DRect(image, gl_TexCoord[0].st);
  float unused = rgb.x + size.x + m2[0][0] + m3[0][0] + m4[0][0] + float(count);
  gl_FragColor = mix(picture, colour, amount) + vec4(unused * zero);
}

// The colour tint: the picture times the tint colour, mixed in by the amount and the tint's
// alpha.
uniform sampler2DRect u_texture0;
uniform vec4 u_tintColor;
uniform float u_tintAmount;

void main() {
  vec4 source = texture2DRect(u_texture0, gl_TexCoord[0].st);
  float amount = clamp(u_tintAmount * u_tintColor.a, 0.0, 1.0);
  gl_FragColor = vec4(mix(source.rgb, source.rgb * u_tintColor.rgb, amount), source.a);
}

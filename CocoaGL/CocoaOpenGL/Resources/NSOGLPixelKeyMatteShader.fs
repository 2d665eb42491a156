// The matte of a keyed picture: its alpha as grey, opaque.
uniform sampler2DRect u_texture0;

void main() {
  float alpha = texture2DRect(u_texture0, gl_TexCoord[0].st).a;
  gl_FragColor = vec4(alpha, alpha, alpha, 1.0);
}

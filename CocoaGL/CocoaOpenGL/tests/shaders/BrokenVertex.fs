uniform sampler2DRect image;

void main() {
  gl_FragColor = texture2DRect(image, gl_TexCoord[0].st);
}

// Positions through the fixed transform; texture coordinates pass through as they are, in
// texels (the sources are rectangle textures). The texture matrix is not read, so a neutral
// matrix and an empty one draw the same.
void main() {
  gl_TexCoord[0] = gl_MultiTexCoord0;
  gl_Position = ftransform();
}

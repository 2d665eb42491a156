void main() {
  this is not a shader
}

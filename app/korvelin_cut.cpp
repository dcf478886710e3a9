// Placeholder until the converter lands.
int main() { return 2; }

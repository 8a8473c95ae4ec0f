// Start-up lives in the application object; main only hands over.
int main() { return 0; }

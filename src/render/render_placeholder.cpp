// Placeholder so the render library has a source until the renderers arrive.

// Qt adapters of the platform interfaces live in this folder.
namespace tramond::platform {}
